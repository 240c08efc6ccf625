#pragma once
// Where the top-level windows of other programs come from (the X11 window manager's list on a
// Linux desktop): what the program can see of them and the two requests it can make.

#include <QString>
#include <cstdint>
#include <vector>

struct SForeignWindow {
    std::uint32_t id = 0; // the source's own window id, never 0
    QString title;
    QString className;
    std::uint32_t owner = 0; // the window this one is a dialog of, 0 for none
    bool visible = false;
    std::int64_t pid = 0; // the process that shows it, 0 when unknown
};

class IForeignWindowSource {
public:
    virtual ~IForeignWindowSource() = default;
    // Top-level windows, front-most first; empty when there is nothing to look at.
    virtual std::vector<SForeignWindow> List() = 0;
    virtual void Activate(std::uint32_t id) = 0;
    virtual void Close(std::uint32_t id) = 0;
};
