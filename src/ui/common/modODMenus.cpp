#include "ui/common/modODMenus.h"

#include "ui/common/ODMenuStyle.h"

#include <QAction>
#include <QActionEvent>
#include <QCoreApplication>
#include <QHash>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>

#include <memory>
#include <vector>

namespace quorvan {

namespace {

// Dynamic properties of converted actions and hooked windows.
constexpr const char* kItemIdProperty = "ODMenuItemID";
constexpr const char* kItemTypeProperty = "ODMenuItemType";
constexpr const char* kItemDataProperty = "ODMenuItemData";
constexpr const char* kWindowHandleProperty = "ODMenuWindowHandle";

// Longest caption a menu read returns (a 128-character buffer with room for
// the terminating zero).
constexpr int kMaxCaption = 127;

struct ModuleState {
    std::unique_ptr<CaptionTable> captions;
    std::unique_ptr<IconTable> icons;
    std::int32_t lastTopItemId = 0;
    std::int64_t nextHandle = 1;
    int nextPopupItemId = kFirstPopupItemID;
    QHash<std::int64_t, QPointer<QWidget>> installed; // window number -> form
};

ModuleState& State()
{
    static ModuleState state;
    return state;
}

// Remove-then-add under one key, ignoring both failures.
void Register(const QString& key, const QString& caption)
{
    if (CaptionTable* captions = State().captions.get()) {
        (void)captions->Remove(key);
        (void)captions->Add(key, caption);
    }
}

// The text a menu read of this action returns: its caption, then a TAB and
// the shortcut when it has one, cut at the buffer's length and at a zero.
QString ReadCaption(const QAction* action, bool withShortcut)
{
    QString text = action->text();
    if (withShortcut && !text.contains(QLatin1Char('\t')) && !action->shortcut().isEmpty())
        text += QLatin1Char('\t') + action->shortcut().toString(QKeySequence::NativeText);
    text.truncate(kMaxCaption);
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

int BaseType(const QAction* action)
{
    const int stored = action->property(kItemTypeProperty).toInt();
    return (stored & ~kMftSeparator) | (action->isSeparator() ? kMftSeparator : 0);
}

// Makes a QMenu or QMenuBar lay its items out again before it next shows,
// so that the new measurements take effect.
void MarkItemsChanged(QWidget* menu)
{
    const QList<QAction*> actions = menu->actions();
    if (actions.isEmpty())
        return;
    QActionEvent changed(QEvent::ActionChanged, actions.first());
    QCoreApplication::sendEvent(menu, &changed);
}

// The installation on one form: the owner-drawing style, the styles the bar
// and the drop-downs had before, and the conversion hooks. It is a child of
// the form, found under the name "ODMenuOrigProc".
class ODMenuHook : public QObject {
public:
    ODMenuHook(QWidget* form, std::int64_t handle)
        : QObject(form), handle_(handle), style_(new ODMenuStyle(handle, this))
    {
        setObjectName(QStringLiteral("ODMenuOrigProc"));
    }

    ~ODMenuHook() override
    {
        Detach(); // drop-downs that outlive the form must not keep a dead style
        ModuleState& state = State();
        state.installed.remove(handle_);
        if (state.installed.isEmpty()) {
            state.captions.reset();
            state.icons.reset();
        }
    }

    ODMenuHook(const ODMenuHook&) = delete;
    ODMenuHook& operator=(const ODMenuHook&) = delete;

    // Puts the owner drawing on a menu bar or drop-down, once.
    void Attach(QWidget* menu)
    {
        for (const Attached& item : attached_)
            if (item.widget == menu)
                return;
        Attached item;
        item.widget = menu;
        item.previous = menu->testAttribute(Qt::WA_SetStyle) ? menu->style() : nullptr;
        if (auto* popup = qobject_cast<QMenu*>(menu))
            item.connection = connect(popup, &QMenu::aboutToShow, this, [this, popup] { InitMenuPopup(popup); });
        attached_.push_back(item);
        menu->setStyle(style_);
        for (QAction* action : menu->actions())
            if (QMenu* sub = action->menu())
                Attach(sub);
    }

    // Gives every widget its previous style back and drops the hooks.
    void Detach()
    {
        for (const Attached& item : attached_) {
            disconnect(item.connection);
            if (item.widget)
                item.widget->setStyle(item.previous.data());
        }
        attached_.clear();
    }

private:
    // A drop-down is about to open: convert it, and make sure the drop-downs
    // it leads to are hooked too.
    void InitMenuPopup(QMenu* menu)
    {
        ConvertPopup(menu, handle_);
        for (QAction* action : menu->actions())
            if (QMenu* sub = action->menu())
                Attach(sub);
        MarkItemsChanged(menu);
    }

    struct Attached {
        QPointer<QWidget> widget;
        QPointer<QStyle> previous;
        QMetaObject::Connection connection;
    };

    std::int64_t handle_;
    ODMenuStyle* style_;
    std::vector<Attached> attached_;
};

ODMenuHook* HookOf(const QWidget* form)
{
    if (form == nullptr)
        return nullptr;
    return form->findChild<ODMenuHook*>(QStringLiteral("ODMenuOrigProc"), Qt::FindDirectChildrenOnly);
}

} // namespace

CaptionTable* MenuCaptions()
{
    return State().captions.get();
}

IconTable* MenuIcons()
{
    return State().icons.get();
}

std::int32_t LastTopItemID()
{
    return State().lastTopItemId;
}

QString ItemKey(std::int64_t windowHandle, std::int64_t itemId)
{
    return QStringLiteral("%1-%2M").arg(windowHandle).arg(itemId);
}

std::int64_t WindowHandle(QWidget* form)
{
    if (form == nullptr)
        return 0;
    const QVariant known = form->property(kWindowHandleProperty);
    if (known.isValid())
        return known.toLongLong();
    const std::int64_t handle = State().nextHandle++;
    form->setProperty(kWindowHandleProperty, QVariant::fromValue<qint64>(handle));
    return handle;
}

QWidget* FormForHandle(std::int64_t windowHandle)
{
    return State().installed.value(windowHandle).data();
}

int ItemID(const QAction* action)
{
    return action != nullptr ? action->property(kItemIdProperty).toInt() : 0;
}

int ItemType(const QAction* action)
{
    return action != nullptr ? BaseType(action) : 0;
}

std::int64_t ItemData(const QAction* action)
{
    return action != nullptr ? action->property(kItemDataProperty).toLongLong() : 0;
}

QAction* ActionByID(const QWidget* menu, int itemId)
{
    if (menu == nullptr || itemId == 0)
        return nullptr;
    for (QAction* action : menu->actions())
        if (ItemID(action) == itemId)
            return action;
    return nullptr;
}

QMenuBar* FormMenuBar(QWidget* form)
{
    if (form == nullptr)
        return nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(form))
        return qobject_cast<QMenuBar*>(main->menuWidget());
    return form->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
}

bool ODMenusInstalled(const QWidget* form)
{
    return HookOf(form) != nullptr;
}

void InstallODMenus(QWidget* form)
{
    if (form == nullptr)
        return;
    ModuleState& state = State();
    if (!state.icons)
        state.icons = std::make_unique<IconTable>();
    if (!state.captions)
        state.captions = std::make_unique<CaptionTable>();

    ConvertMenuBar(form);

    // A second installation on the same form would hook the drawing in front
    // of itself; it only converts the bar again.
    if (HookOf(form) != nullptr)
        return;
    const std::int64_t handle = WindowHandle(form);
    auto* hook = new ODMenuHook(form, handle);
    state.installed.insert(handle, form);
    if (QMenuBar* bar = FormMenuBar(form))
        hook->Attach(bar);
}

void RemoveODMenus(QWidget* form)
{
    ODMenuHook* hook = HookOf(form);
    if (hook == nullptr)
        return;
    hook->Detach();
    delete hook; // the last installed window releases both registries
}

void ConvertMenuBar(QWidget* form)
{
    QMenuBar* bar = FormMenuBar(form);
    const QList<QAction*> actions = bar != nullptr ? bar->actions() : QList<QAction*>();
    const auto count = static_cast<int>(actions.size());
    State().lastTopItemId = count + kFirstTopItemID - 1;

    // Every position is converted: Qt's menu bar never holds a window's
    // system-menu item, maximised or not.
    const std::int64_t handle = WindowHandle(form);
    for (int p = 0; p < count; ++p) {
        QAction* action = actions.at(p);
        const int id = kFirstTopItemID + p;
        const QString caption = ReadCaption(action, false);
        if (!caption.isEmpty())
            Register(ItemKey(handle, id), caption);
        action->setProperty(kItemIdProperty, id);
        action->setProperty(kItemTypeProperty, BaseType(action) | kMftOwnerDraw);
        action->setProperty(kItemDataProperty, QVariant::fromValue<qint64>(kTopLevelMarker));
    }
    if (bar != nullptr)
        MarkItemsChanged(bar);
}

void ConvertPopup(QMenu* menu, std::int64_t windowHandle)
{
    if (menu == nullptr)
        return;
    ModuleState& state = State();
    for (QAction* action : menu->actions()) {
        int type = BaseType(action) | kMftOwnerDraw;
        QString caption = ReadCaption(action, true);
        if (caption.startsWith(QLatin1Char('|'))) {
            caption.remove(0, 1);
            type |= kMftMenuBreak; // starts a new column, without a dividing line
        }
        action->setProperty(kItemTypeProperty, type);
        int id = ItemID(action);
        if (id == 0) {
            id = state.nextPopupItemId++;
            action->setProperty(kItemIdProperty, id);
        }
        if (!caption.isEmpty())
            Register(ItemKey(windowHandle, id), caption);
    }
}

} // namespace quorvan
