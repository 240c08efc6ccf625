#pragma once
// The album name dialog: the user renames the disc (the player's CD playlist) before a transfer.
// The name field holds the current title ("情報なし" for a disc without album data) and takes at
// most 26 characters; an empty name cannot be confirmed: OK is then greyed and Enter means Cancel.

#include "ui/window/Dialog.h"
#include "ui/window/MessageMap.h"

class CCDROMAcc;
class QLineEdit;
class QPushButton;

class CAlbumDlg : public CDialog {
public:
    static constexpr UINT IDD = 135;
    static constexpr int IDC_NAME = 1042;
    static constexpr int IDC_LABEL = 1043;
    static constexpr int kNameLimit = 26;

    // `cd` is the main window's CD source, whose disc is renamed.
    explicit CAlbumDlg(CCDROMAcc* cd);

    // IDOK or IDCANCEL.
    int DoModal(HWND owner);

    QLineEdit* NameField() const;
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;

protected:
    bool OnInitDialog() override;
    bool PreTranslateKey(UINT vk) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT OnOK(WPARAM, LPARAM);
    LRESULT OnCancel(WPARAM, LPARAM);
    // An empty name makes Cancel the default button and greys OK; a name puts them back.
    void UpdateDefaultButton();
    static const MessageMapEntry<CAlbumDlg> kMessageMap[];

    CCDROMAcc* m_cd;
};
