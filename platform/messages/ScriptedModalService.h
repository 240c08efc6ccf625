#pragma once
// The modal service of tests: records each message box and modal run, and answers from a script
// (first in, first out), or with a default answer when the script is empty.

#include "platform/messages/ModalService.h"

#include <deque>
#include <vector>

class CScriptedModalService : public IModalService {
public:
    struct Shown {
        QString name; // "MessageBox" or the modal window's name
        QString text;
        QString caption;
        UINT type = 0;
        int answer = 0;
    };

    int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) override;
    int RunModal(const QString& name, const std::function<int()>& run) override;

    // Queue an answer. For a modal run, an answer of 0 means "really run it".
    void Answer(int answer) { m_answers.push_back(answer); }
    const std::vector<Shown>& History() const { return m_history; }
    void Clear() { m_history.clear(); }
    int defaultAnswer = IDOK;

private:
    int Next();
    std::deque<int> m_answers;
    std::vector<Shown> m_history;
};
