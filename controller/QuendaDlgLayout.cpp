// The main window's controls (template 102, laid out in dialog units), how their notifications
// reach the message table, and the one-time set-up of their texts and looks.
#include "controller/MainBackground.h"
#include "controller/QuendaDlg.h"
#include "controller/WindowMover.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/Bitmaps.h"
#include "ui/ColorButton.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"
#include "ui/window/DialogUnits.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <tuple>

namespace {

constexpr COLORREF kStatusColor = 0x1200EB; // red 235, green 0, blue 18
constexpr int kStatusFontHeight = 15;
constexpr COLORREF kListColor = 0x3E3E3E;
constexpr COLORREF kListTextColor = 0xFFFFFF;
// Left and right padding of a list cell around its text.
constexpr int kListCellMargins = 12;

template <class T> T* Make(QWidget* parent, int id, const QRect& dlu) {
    auto* control = new T(parent);
    control->setObjectName(QString::number(id));
    control->setGeometry(dlu);
    return control;
}

CStaticEx* MakeStatic(QWidget* parent, int id, const QRect& dlu, const QString& text, Qt::Alignment align) {
    auto* control = Make<CStaticEx>(parent, id, dlu);
    control->setText(text);
    control->setAlignment(align);
    control->SetTextColor(kListTextColor);
    return control;
}

} // namespace

void CQuendaDlg::CreateControls() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(DluX(kMainWidthDlu), DluY(kMainHeightDlu));
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(12); // 9 points at 96 dpi, as the other windows' templates
    setFont(font);

    m_background = Make<QLabel>(this, IDC_BACKGROUND, QRect(QPoint(0, 0), size()));
    m_background->setPixmap(CMainBackground::Picture(size(), devicePixelRatioF()));
    m_background->setAttribute(Qt::WA_TransparentForMouseEvents);

    // The CD side on the left, the destination on the right, the status and the buttons below it.
    m_cdCombo = Make<CMyComboBox>(this, IDC_CD_COMBO, DluRect(28, 24, 160, 16));
    m_album = Make<CColorButton>(this, IDC_ALBUM_BUTTON, DluRect(194, 23, 68, 18));
    m_album->setText(QStringLiteral("アルバム"));
    m_albumText = MakeStatic(this, IDC_ALBUM_TEXT, DluRect(28, 44, 234, 13), QStringLiteral("Album"),
                             Qt::AlignLeft | Qt::AlignVCenter);
    m_albumText->ResetTextColor(); // on its light plate, in the system's text colour
    m_trackList = Make<CReportCtrl>(this, IDC_TRACK_LIST, DluRect(8, 62, 254, 246));
    m_totalSize = MakeStatic(this, IDC_TOTAL_SIZE, DluRect(140, 311, 122, 13), QStringLiteral("-- MB"),
                             Qt::AlignRight | Qt::AlignVCenter);
    MakeStatic(this, IDC_TOTAL_CAPTION, DluRect(8, 311, 130, 13), QString(),
               Qt::AlignLeft | Qt::AlignVCenter);

    m_destinationCombo = Make<CMyComboBox>(this, IDC_DEST_COMBO, DluRect(290, 24, 161, 16));
    // Each figure of the card after its caption: the marks alone did not say which is which.
    MakeStatic(this, IDC_CAPACITY_CAPTION, DluRect(284, 46, 48, 12), QString(),
               Qt::AlignLeft | Qt::AlignVCenter);
    MakeStatic(this, IDC_FREE_CAPTION, DluRect(284, 60, 48, 12), QString(), Qt::AlignLeft | Qt::AlignVCenter);
    m_capacity = MakeStatic(this, IDC_CAPACITY, DluRect(334, 46, 117, 12), QStringLiteral("Media Capacity"),
                            Qt::AlignLeft | Qt::AlignVCenter);
    m_free = MakeStatic(this, IDC_FREE, DluRect(334, 60, 117, 12), QStringLiteral("Empty Capacity"),
                        Qt::AlignLeft | Qt::AlignVCenter);
    m_openDestination = Make<CColorButton>(this, IDC_OPEN_DEST, DluRect(270, 78, 181, 18));
    m_openDestination->setText(QStringLiteral("Explorer"));
    m_status = MakeStatic(this, IDC_STATUS_TEXT, DluRect(270, 102, 181, 204), QStringLiteral("Status"),
                          Qt::AlignLeft | Qt::AlignTop);
    m_transfer = Make<CColorButton>(this, IDC_TRANSFER, DluRect(270, 314, 88, 22));
    m_transfer->setText(QStringLiteral("転送（同期）"));
    m_close = Make<CColorButton>(this, IDC_CLOSE, DluRect(363, 314, 88, 22));
    m_close->setText(QStringLiteral("閉じる"));

    m_mover = new CWindowMover(this);

    m_capacityText.Bind(m_capacity);
    m_freeText.Bind(m_free);
}

void CQuendaDlg::ConnectControls() {
    // Buttons and pickers speak to the window as their Windows counterparts do: WM_COMMAND with
    // the control id and the notification code.
    for (CColorButton* button : {m_album, m_openDestination, m_transfer, m_close}) {
        // No button is the dialog's default one: Enter presses only the button with the focus.
        button->setAutoDefault(false);
        button->setDefault(false);
        const WORD id = static_cast<WORD>(button->objectName().toInt());
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { ::SendMessage(Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); });
    }
    for (CMyComboBox* combo : {m_cdCombo, m_destinationCombo}) {
        const WORD id = static_cast<WORD>(combo->objectName().toInt());
        connect(combo, &QComboBox::activated, this,
                [this, id] { ::SendMessage(Handle(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), 0); });
        combo->installEventFilter(this);
    }
    m_trackList->BindWindow(Handle(), IDC_TRACK_LIST);
    m_trackList->SetRenamer(&m_cdrom);
    // Every key of the window passes the window's own rules first, whichever control has the focus.
    qApp->installEventFilter(this);
}

void CQuendaDlg::SetupControls() {
    setWindowTitle(LoadString(IDS_APP_TITLE));
    m_window.SyncFromWidget();

    m_status->SetFontHeight(kStatusFontHeight);
    m_status->SetTextColor(kStatusColor);
    m_status->setWordWrap(false);

    m_openDestination->setText(LoadString(IDS_BTN_OPEN_DEST));
    m_transfer->setText(LoadString(IDS_BTN_TRANSFER));
    m_close->setText(LoadString(IDS_BTN_CLOSE));
    m_album->setText(LoadString(IDS_BTN_ALBUM));
    // The figures' captions, and the same words as tips on the captions and the figures.
    for (const auto& [caption, figure, captionText, tip] :
         {std::tuple{IDC_CAPACITY_CAPTION, IDC_CAPACITY, IDS_CAPTION_USED, IDS_TIP_USED},
          std::tuple{IDC_FREE_CAPTION, IDC_FREE, IDS_CAPTION_FREE, IDS_TIP_FREE},
          std::tuple{IDC_TOTAL_CAPTION, IDC_TOTAL_SIZE, IDS_CAPTION_TOTAL, IDS_TIP_TOTAL}}) {
        static_cast<CStaticEx*>(Control(caption))->setText(LoadString(captionText));
        Control(caption)->setToolTip(LoadString(tip));
        Control(figure)->setToolTip(LoadString(tip));
    }

    // The list: check boxes, full-row selection, tips; grey behind white text.
    m_trackList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_trackList->setMouseTracking(true);
    m_trackList->SetBkColor(kListColor);
    m_trackList->SetTextColor(kListTextColor);
    // Two columns from the list's client width: the title gets 22/25 of it, the length what is
    // left after one 25th is kept spare. The length column is never narrower than a length needs,
    // so "00:00" is never cut to "0..."; the title gives up the difference.
    const int w = m_trackList->contentsRect().width();
    const int lengthNeeded =
        QFontMetrics(m_trackList->font()).horizontalAdvance(QStringLiteral("0:00:00")) + kListCellMargins;
    const int lengthWidth = qMax(w - (w / 25) * 23, lengthNeeded);
    const int titleWidth = qMin((w / 25) * 22, w - (w / 25) - lengthWidth);
    m_trackList->InsertColumn(0, LoadString(IDS_COL_TITLE), titleWidth, Qt::AlignLeft);
    m_trackList->InsertColumn(1, LoadString(IDS_COL_LENGTH), lengthWidth, Qt::AlignRight);
    m_trackList->SetEditable(true);
    m_trackList->SetCheckMode(CReportCtrl::CHECK_MULTIPLE);
    m_trackList->EnableList(true);
    m_trackList->EnableList(false);
    m_album->setEnabled(false);

    ApplyFocusRule(IDC_CLOSE);
}
