#include "ui/window/DialogTemplate.h"

#include "resources/Layouts.h"
#include "ui/StaticEx.h"
#include "ui/window/DialogUnits.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

QRect RectFrom(const QJsonValue& value) {
    const QJsonArray a = value.toArray();
    if (a.size() != 4) {
        return {};
    }
    return {a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()};
}

void Fail(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
}

} // namespace

bool CDialogTemplate::Load(UINT id, QString* error) {
    InitLayoutResources();
    QFile file(DialogLayoutPath(id));
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(error, QStringLiteral("no layout for dialog %1").arg(id));
        return false;
    }
    return Parse(file.readAll(), error);
}

bool CDialogTemplate::Parse(const QByteArray& json, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        Fail(error, parseError.errorString());
        return false;
    }
    const QJsonObject root = doc.object();
    const QJsonArray size = root.value(QStringLiteral("size")).toArray();
    if (size.size() != 2 || size[0].toInt() <= 0 || size[1].toInt() <= 0) {
        Fail(error, QStringLiteral("the layout has no size"));
        return false;
    }
    m_id = static_cast<UINT>(root.value(QStringLiteral("id")).toInt());
    m_size = QSize(size[0].toInt(), size[1].toInt());
    const QJsonObject font = root.value(QStringLiteral("font")).toObject();
    m_fontFace = font.value(QStringLiteral("face")).toString(m_fontFace);
    m_fontPoints = font.value(QStringLiteral("points")).toInt(m_fontPoints);
    m_caption = root.value(QStringLiteral("caption")).toString();
    m_titleBar = root.value(QStringLiteral("titleBar")).toBool(true);
    m_topmost = root.value(QStringLiteral("topmost")).toBool(false);
    m_controls.clear();
    for (const QJsonValue& v : root.value(QStringLiteral("controls")).toArray()) {
        const QJsonObject o = v.toObject();
        DialogControl c;
        c.id = o.value(QStringLiteral("id")).toInt();
        c.className = o.value(QStringLiteral("class")).toString();
        c.text = o.value(QStringLiteral("text")).toString();
        c.rect = RectFrom(o.value(QStringLiteral("rect")));
        for (const QJsonValue& s : o.value(QStringLiteral("style")).toArray()) {
            c.style << s.toString();
        }
        if (c.rect.isEmpty()) {
            Fail(error, QStringLiteral("control %1 has no place").arg(c.id));
            return false;
        }
        m_controls.push_back(c);
    }
    return true;
}

QSize CDialogTemplate::SizePixels() const {
    return {DluX(m_size.width()), DluY(m_size.height())};
}

void CDialogTemplate::Build(QWidget* dialog) const {
    QFont font(m_fontFace);
    // 9 points at 96 dpi is 12 pixels; pixel sizes keep the layout independent of the screen's dpi.
    font.setPixelSize((m_fontPoints * 96 + 36) / 72);
    dialog->setFont(font);
    dialog->setFixedSize(SizePixels());
    for (const DialogControl& c : m_controls) {
        QWidget* w = nullptr;
        if (c.className == QLatin1String("BUTTON")) {
            auto* button = new QPushButton(c.text, dialog);
            button->setDefault(c.style.contains(QLatin1String("BS_DEFPUSHBUTTON")));
            w = button;
        } else if (c.className == QLatin1String("EDIT")) {
            auto* edit = new QLineEdit(c.text, dialog);
            edit->setFrame(c.style.contains(QLatin1String("WS_BORDER")));
            w = edit;
        } else if (c.className == QLatin1String("PROGRESS")) {
            auto* bar = new QProgressBar(dialog);
            bar->setTextVisible(false);
            bar->setRange(0, 100);
            w = bar;
        } else {
            auto* label = new CStaticEx(dialog);
            label->setText(c.text);
            label->setWordWrap(!c.style.contains(QLatin1String("SS_CENTER")) ||
                               c.style.contains(QLatin1String("SS_MULTILINE")));
            Qt::Alignment align =
                c.style.contains(QLatin1String("SS_CENTERIMAGE")) ? Qt::AlignVCenter : Qt::AlignTop;
            if (c.style.contains(QLatin1String("SS_CENTER"))) {
                align |= Qt::AlignHCenter;
            } else if (c.style.contains(QLatin1String("SS_RIGHT"))) {
                align |= Qt::AlignRight;
            } else {
                align |= Qt::AlignLeft;
            }
            label->setAlignment(align);
            w = label;
        }
        w->setObjectName(QString::number(c.id));
        w->setGeometry(DluRect(c.rect.x(), c.rect.y(), c.rect.width(), c.rect.height()));
    }
}

QWidget* GetDlgItem(const QWidget* dialog, int id) {
    return dialog ? dialog->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly) : nullptr;
}
