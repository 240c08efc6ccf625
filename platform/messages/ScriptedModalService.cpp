#include "platform/messages/ScriptedModalService.h"

int CScriptedModalService::Next() {
    if (m_answers.empty()) {
        return defaultAnswer;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

int CScriptedModalService::MessageBox(HWND, const QString& text, const QString& caption, UINT type) {
    const int answer = Next();
    m_history.push_back({QStringLiteral("MessageBox"), text, caption, type, answer});
    return answer;
}

int CScriptedModalService::RunModal(const QString& name, const std::function<int()>& run) {
    int answer = Next();
    if (answer == 0 && run) {
        answer = run();
    }
    m_history.push_back({name, {}, {}, 0, answer});
    return answer;
}
