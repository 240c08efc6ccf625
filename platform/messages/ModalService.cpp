#include "platform/messages/ModalService.h"

#include "platform/Platform.h"

int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) {
    IModalService* modal = CPlatform::Current().modal;
    // Without a way to ask the user, the safe answer is the one that changes nothing.
    return modal ? modal->MessageBox(owner, text, caption, type)
                 : ((type & 0xF) == MB_YESNO ? IDNO : IDCANCEL);
}
