#pragma once
// The program's main window. It is registered in the window table under its title, so that a
// second start can find it and the message layer can deliver timers and events to it.

#include "app/settings/SettingsStore.h"
#include "platform/windows/WindowProc.h"
#include "player/WmpRegAcc.h"
#include "ui/window/WidgetWindow.h"

#include <QDialog>

class QLabel;
class QPushButton;

class CQuendaDlg : public QDialog, public IWindowProc {
    Q_OBJECT
public:
    explicit CQuendaDlg(QWidget* parent = nullptr);
    ~CQuendaDlg() override;

    HWND Handle() const { return m_window.Handle(); }
    // The installer's defaults for the settings, handed over by the application before the run.
    void SetInstallerDefaults(int32_t model, int32_t autoSync);
    // The window's start-up steps, then the window itself, modally; the dialog's result.
    int DoModal();
    CSettingsStore& Settings() { return m_settings; }
    CWmpRegAcc& RegAcc() { return m_regAcc; }
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The start-up steps. False when they completed; true when a check ended the window (it is
    // then not shown).
    bool OnInitDialog();
    // Ends the window during its start-up steps.
    void EndDialog(int result);
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CWidgetWindow m_window;
    QLabel* m_status = nullptr;
    QPushButton* m_close = nullptr;
    CWmpRegAcc m_regAcc;
    CSettingsStore m_settings;
    int32_t m_installerModel = 0;
    int32_t m_installerAutoSync = 0;
    bool m_endedDuringInit = false;
};
