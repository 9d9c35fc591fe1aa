#include "ui/common/RenderFaultReport.h"

#include "graphics/clsNesTiles.h"
#include "ui/common/ToolWindows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace quorvan {

namespace {

// The renderer's counters when a check began. A renderer created since then
// (or after a reset) counts from zero.
struct Check {
    const clsNesTiles* renderer = nullptr;
    RenderFaults at;
};

std::vector<Check> openChecks;

// Kinds of problem, as bits, so that a view's problems can be compared with
// those the user has already seen and closed.
enum Kind : unsigned { kBadColour = 1u, kBadTile = 2u, kBadRead = 4u };

// One line per view that last drew with faults, in the order they first appeared.
struct NoticeLine {
    QString what;
    QString text;
    unsigned kinds = 0;
};
std::vector<NoticeLine> noticeLines;

// Per view, the kinds of problem the notice showed when the user closed it.
QHash<QString, unsigned> closedKinds;

QPointer<QWidget> notice;

// The notice window: closing it, by its button or its close box, counts as
// the user having seen every problem it shows.
class NoticeBox final : public QWidget {
public:
    NoticeBox(QWidget* owner, Qt::WindowFlags flags) : QWidget(owner, flags) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        for (const NoticeLine& line : noticeLines)
            closedKinds[line.what] |= line.kinds;
        QWidget::closeEvent(event);
    }
};

unsigned KindsOf(const RenderFaults& faults)
{
    return (faults.badColourPixels > 0 ? kBadColour : 0u) | (faults.badTiles > 0 ? kBadTile : 0u) |
           (faults.badReads > 0 ? kBadRead : 0u);
}

// Whether some line shows a problem the user has not closed the notice on.
bool HasNews()
{
    for (const NoticeLine& line : noticeLines)
        if ((line.kinds & ~closedKinds.value(line.what, 0u)) != 0)
            return true;
    return false;
}

std::uint64_t Since(std::uint64_t now, std::uint64_t before)
{
    return now >= before ? now - before : now;
}

QString Plural(std::uint64_t count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString Describe(const QString& what, const RenderFaults& faults)
{
    QStringList parts;
    if (faults.badColourPixels > 0) {
        parts << Plural(faults.badColourPixels, "pixel uses", "pixels use")
                     + QStringLiteral(" palette bytes above 63 (drawn in magenta).");
    }
    if (faults.badTiles > 0) {
        parts << Plural(faults.badTiles, "tile lies", "tiles lie")
                     + QStringLiteral(" beyond the end of the image (drawn in magenta).");
    }
    if (faults.badReads > 0) {
        parts << Plural(faults.badReads, "block has", "blocks have")
                     + QStringLiteral(" bytes outside the image or the stage table (read as 0).");
    }
    return what + QStringLiteral(": ") + parts.join(QLatin1Char(' '));
}

// The window the notice belongs to: the outermost owner of `window`, so that
// the views of the main window and its tool windows share one notice.
QWidget* Owner(QWidget* window)
{
    QWidget* owner = window != nullptr ? window->window() : nullptr;
    while (owner != nullptr && owner->parentWidget() != nullptr)
        owner = owner->parentWidget()->window();
    return owner;
}

void DeleteParentlessNotice()
{
    if (notice && notice->parentWidget() == nullptr)
        delete notice.data();
}

QWidget* EnsureNotice(QWidget* owner)
{
    constexpr Qt::WindowFlags kFlags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowCloseButtonHint;
    if (notice) {
        if (notice->parentWidget() != owner) {
            const bool shown = notice->isVisible();
            notice->setParent(owner, kFlags);
            if (shown)
                notice->show();
        }
        return notice;
    }

    auto* box = new NoticeBox(owner, kFlags);
    box->setObjectName(QStringLiteral("RenderFaultNotice"));
    box->setWindowTitle(QStringLiteral("Drawing Problems"));
    box->setAttribute(Qt::WA_ShowWithoutActivating); // never takes the focus from the user's work

    auto* heading = new QLabel(QStringLiteral("Some pixels could not be drawn from the image:"), box);
    auto* text = new QLabel(box);
    text->setObjectName(QStringLiteral("lblRenderFault"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QPushButton(QStringLiteral("Close"), box);
    close->setObjectName(QStringLiteral("cmdClose"));
    QObject::connect(close, &QPushButton::clicked, box, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(heading);
    layout->addWidget(text);
    layout->addLayout(buttons);
    box->setMinimumWidth(360);

    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        qAddPostRoutine(DeleteParentlessNotice);
        cleanupRegistered = true;
    }
    ManageToolWindow(box, ToolPlacement::AsIs);
    notice = box;
    return box;
}

QString NoticeText()
{
    QStringList lines;
    for (const NoticeLine& line : noticeLines)
        lines << line.text;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void BeginRenderFaultCheck()
{
    Check check;
    check.renderer = NesTiles.get();
    if (NesTiles)
        check.at = NesTiles->Faults();
    openChecks.push_back(check);
}

void EndRenderFaultCheck(QWidget* window, const QString& what)
{
    if (openChecks.empty())
        return;
    const Check check = openChecks.back();
    openChecks.pop_back();

    RenderFaults met;
    if (NesTiles) {
        const RenderFaults now = NesTiles->Faults();
        const bool sameRenderer = NesTiles.get() == check.renderer;
        met.badColourPixels = sameRenderer ? Since(now.badColourPixels, check.at.badColourPixels) : now.badColourPixels;
        met.badTiles = sameRenderer ? Since(now.badTiles, check.at.badTiles) : now.badTiles;
        met.badReads = sameRenderer ? Since(now.badReads, check.at.badReads) : now.badReads;
    }

    auto line = std::find_if(noticeLines.begin(), noticeLines.end(),
                             [&what](const NoticeLine& entry) { return entry.what == what; });
    if (!met.any()) {
        // This view is clean again: drop its line, and the notice when it was the last.
        if (line == noticeLines.end())
            return;
        noticeLines.erase(line);
        if (notice) {
            notice->findChild<QLabel*>(QStringLiteral("lblRenderFault"))->setText(NoticeText());
            if (noticeLines.empty())
                notice->hide();
        }
        return;
    }

    const NoticeLine described{what, Describe(what, met), KindsOf(met)};
    if (line == noticeLines.end())
        noticeLines.push_back(described);
    else
        *line = described;

    QWidget* box = EnsureNotice(Owner(window));
    box->findChild<QLabel*>(QStringLiteral("lblRenderFault"))->setText(NoticeText());
    box->adjustSize();
    // Closed by the user: it stays closed, with its text kept up to date,
    // until there is something the user has not seen.
    if (box->isHidden() && !HasNews())
        return;
    box->show();
    box->raise();
}

void NewRenderFaultContext()
{
    closedKinds.clear();
}

QWidget* RenderFaultNotice()
{
    return notice.data();
}

} // namespace quorvan
