#include "ui/common/RenderFaultReport.h"

#include "graphics/clsNesTiles.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <utility>
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

// One line per view that last drew with faults, in the order they first appeared.
std::vector<std::pair<QString, QString>> noticeLines;

QPointer<QWidget> notice;

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

    auto* box = new QWidget(owner, kFlags);
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
    QObject::connect(close, &QPushButton::clicked, box, &QWidget::hide);

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
    notice = box;
    return box;
}

QString NoticeText()
{
    QStringList lines;
    for (const auto& line : noticeLines)
        lines << line.second;
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
                             [&what](const auto& entry) { return entry.first == what; });
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

    const QString description = Describe(what, met);
    if (line == noticeLines.end())
        noticeLines.emplace_back(what, description);
    else
        line->second = description;

    QWidget* box = EnsureNotice(Owner(window));
    box->findChild<QLabel*>(QStringLiteral("lblRenderFault"))->setText(NoticeText());
    box->adjustSize();
    box->show();
    box->raise();
}

QWidget* RenderFaultNotice()
{
    return notice.data();
}

} // namespace quorvan
