#pragma once
// The modal service of the product: real Qt message boxes, and modal windows run in their own
// nested event loops, which keep timers and posted messages flowing as the windows expect.

#include "platform/messages/ModalService.h"

class CQtModalService : public IModalService {
public:
    int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) override;
    int RunModal(const QString& name, const std::function<int()>& run) override;
};
