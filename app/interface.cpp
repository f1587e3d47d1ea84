// Interface files are Qt Designer files. A control's objectName is its
// signature. A button or menu item sends the command of its "command"
// property, else of its objectName; a popup's "itemCodes" property lists its
// items' four-character codes in order (an empty string is code 0).
#include "app/interface.h"

#include "app/commands.h"
#include "app/scanner_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QUiLoader>

namespace {

class Loader final : public QUiLoader {
  public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (className == QLatin1String(kScannerViewClass)) {
            auto* view = new ScannerView(parent);
            view->setObjectName(name);
            return view;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

OSType CodeOf(const QString& text) {
    return FourCCFromString(text.toLatin1().toStdString());
}

OSType CommandOf(const QObject* object) {
    QVariant command = object->property("command");
    return CodeOf(command.isValid() ? command.toString() : object->objectName());
}

void SetItemCodes(QWidget* window) {
    for (QComboBox* popup : window->findChildren<QComboBox*>()) {
        const QStringList codes = popup->property("itemCodes").toStringList();
        for (int i = 0; i < popup->count() && i < codes.size(); ++i)
            popup->setItemData(i, QVariant::fromValue<uint>(CodeOf(codes[i])));
    }
}

} // namespace

std::unique_ptr<QWidget> LoadInterfaceWindow(const QString& name, QWidget* parent) {
    QFile file(QStringLiteral(":/ui/%1.ui").arg(name));
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    Loader loader;
    std::unique_ptr<QWidget> window(loader.load(&file, parent));
    if (window) SetItemCodes(window.get());
    return window;
}

const void* PopupMenuOf(const QComboBox* popup) {
    return popup->model();
}

void ConnectCommands(QWidget* window, EventTarget* target) {
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->isSeparator() || action->menu() || action->objectName().isEmpty()) continue;
        QObject::connect(action, &QAction::triggered, window, [window, action, target] {
            QMenu* menu = nullptr;
            for (QObject* owner : action->associatedObjects())
                if ((menu = qobject_cast<QMenu*>(owner))) break;
            HICommand command{kHICommandFromMenu, CommandOf(action), menu};
            OSStatus status = SendCommand(target, command);
            // What nobody took, the toolkit does: Quit closes the window.
            if (status == eventNotHandledErr && command.commandID == "quit"_4cc) window->close();
        });
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        OSType code = CommandOf(button);
        if (!code) continue;
        QObject::connect(button, &QAbstractButton::clicked, window, [target, code] {
            SendCommand(target, HICommand{0, code, nullptr});
        });
    }
    for (QComboBox* popup : window->findChildren<QComboBox*>()) {
        QObject::connect(popup, &QComboBox::activated, window, [popup, target](int index) {
            HICommand command{kHICommandFromMenu, popup->itemData(index).toUInt(),
                              PopupMenuOf(popup)};
            SendCommand(target, command);
        });
    }
}

QWidget* FindControl(const QWidget* window, OSType signature) {
    if (!window) return nullptr;
    return window->findChild<QWidget*>(QString::fromLatin1(FourCCToString(signature)));
}

OSStatus AppSetPopupMenuValue(QComboBox* popup, OSType code) {
    if (!popup || popup->count() == 0) return paramErr;
    int index = popup->findData(QVariant::fromValue<uint>(code));
    popup->setCurrentIndex(index < 0 ? 0 : index);
    return noErr;
}

OSType AppGetPopupMenuValue(const QComboBox* popup) {
    if (!popup || popup->currentIndex() < 0) return 0;
    return popup->currentData().toUInt();
}
