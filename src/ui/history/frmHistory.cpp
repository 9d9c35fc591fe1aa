#include "ui/history/frmHistory.h"

#include "data/RomDocument.h"
#include "ui/common/SetTopMostWindow.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace quorvan {

namespace {

// Tall enough for a session's worth of steps, narrow enough to stand beside
// the main window with the other tool windows.
constexpr int kDefaultWidth = 200;
constexpr int kDefaultHeight = 320;

// A write made outside any named step still shows as something to click.
QString StepText(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("Edit") : name;
}

} // namespace

frmHistory::frmHistory(RomDocument& document, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      document_(document)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("History"));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstHistory"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    resize(kDefaultWidth, kDefaultHeight);

    connect(list_, &QListWidget::currentRowChanged, this, &frmHistory::RowChosen);
    connect(&document_, &RomDocument::undoStateChanged, this, &frmHistory::HistoryChanged);
    connect(&document_, &RomDocument::modifiedChanged, this, &frmHistory::HistoryChanged);
    connect(&document_, &RomDocument::imageReplaced, this, &frmHistory::HistoryChanged);

    SetTopMostWindow(this, true);
    Refresh();
}

void frmHistory::HistoryChanged()
{
    // The writes of a step still open (a stroke, a dragged thumb) are listed
    // once it closes, which says so again.
    if (document_.history().inStep())
        return;
    if (!isVisible() || refreshing_) {
        stale_ = true;
        return;
    }
    Refresh();
}

void frmHistory::Refresh()
{
    stale_ = false;
    const QScopedValueRollback<bool> guard(refreshing_, true);
    const EditHistory& history = document_.history();
    const int rows = document_.isOpen() ? static_cast<int>(history.stepCount()) + 1 : 0;
    const int current = static_cast<int>(history.undoCount());
    const std::optional<std::size_t> saved = history.savedPosition();

    // Rows are changed in place, not rebuilt: this runs while the list is
    // handling the click that led here, and only edits add or remove rows.
    while (list_->count() > rows)
        delete list_->takeItem(list_->count() - 1);
    while (list_->count() < rows)
        list_->addItem(new QListWidgetItem);
    QFont plain = list_->font();
    QFont bold = plain;
    bold.setBold(true);
    const QBrush undone = palette().brush(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < rows; ++row) {
        QString text = row == 0 ? EmptyRowText() : StepText(history.stepName(static_cast<std::size_t>(row - 1)));
        if (saved && *saved == static_cast<std::size_t>(row))
            text += SavedSuffix();
        QListWidgetItem* item = list_->item(row);
        if (item->text() != text)
            item->setText(text);
        const QFont& font = row == current ? bold : plain;
        if (item->font() != font)
            item->setFont(font);
        const QBrush brush = row > current ? undone : QBrush();
        if (item->foreground() != brush)
            item->setForeground(brush);
    }
    if (rows > 0) {
        list_->setCurrentRow(current);
        list_->scrollToItem(list_->item(current));
    }
}

void frmHistory::RowChosen(int row)
{
    if (refreshing_ || row < 0)
        return;
    {
        // The steps taken to get there each change the history; the list is
        // brought in step once, at the end.
        const QScopedValueRollback<bool> guard(refreshing_, true);
        emit stateChosen(row);
    }
    Refresh();
}

void frmHistory::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_)
        Refresh();
}

void frmHistory::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window.
    event->ignore();
    hide();
    emit closed();
}

} // namespace quorvan
