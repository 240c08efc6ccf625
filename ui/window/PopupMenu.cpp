#include "ui/window/PopupMenu.h"

#include "platform/Platform.h"
#include "platform/messages/ModalService.h"
#include "resources/Layouts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>

bool CPopupMenu::Load(UINT id) {
    InitLayoutResources();
    m_items.clear();
    QFile file(MenuLayoutPath(id));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    for (const QJsonValue& v : doc.object().value(QStringLiteral("items")).toArray()) {
        const QJsonObject o = v.toObject();
        m_items.push_back({static_cast<UINT>(o.value(QStringLiteral("id")).toInt()),
                           o.value(QStringLiteral("text")).toString()});
    }
    m_id = id;
    return !m_items.empty();
}

UINT CPopupMenu::Track(QWidget* parent, const QPoint& globalPos) {
    auto run = [&]() -> int {
        QMenu menu(parent);
        for (const Item& item : m_items) {
            menu.addAction(item.text)->setData(item.id);
        }
        QAction* picked = menu.exec(globalPos);
        return picked ? picked->data().toInt() : 0;
    };
    IModalService* modal = CPlatform::Current().modal;
    const int answer = modal ? modal->RunModal(QStringLiteral("Menu%1").arg(m_id), run) : run();
    return answer > 0 ? static_cast<UINT>(answer) : 0;
}
