// What start-up saves must not change what the user sees or keeps: the
// program's style draws the same icons, the menu font follows the
// application's font, and the recent-files list is written only when it changes.

#include "ui/common/AppStyle.h"
#include "ui/common/ODMenuDraw.h"
#include "ui/main/RecentFiles.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QProxyStyle>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvan;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void extensionIconsLookTheSame_data();
    void extensionIconsLookTheSame();
    void menuFontFollowsTheApplicationFont();
    void unchangedRecentListIsNotWritten();
};

void TestStartup::extensionIconsLookTheSame_data()
{
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("rightToLeft");
    QTest::newRow("menu bar overflow") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << false;
    QTest::newRow("menu bar overflow, right to left") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << true;
    QTest::newRow("vertical overflow") << int(QStyle::SP_ToolBarVerticalExtensionButton) << false;
    QTest::newRow("another icon is the base style's") << int(QStyle::SP_DialogOkButton) << false;
}

void TestStartup::extensionIconsLookTheSame()
{
    QFETCH(int, icon);
    QFETCH(bool, rightToLeft);
    if (ApplicationStyleName().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QSKIP("the program's style only replaces Fusion");
    UseProgramStyle();
    UseProgramStyle(); // installed once
    QVERIFY(qobject_cast<QProxyStyle*>(QApplication::style()) != nullptr);
    QCOMPARE(ApplicationStyleName().toLower(), QStringLiteral("fusion"));
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion")));
    QGuiApplication::setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    QWidget widget;
    const auto which = static_cast<QStyle::StandardPixmap>(icon);
    const QIcon ours = QApplication::style()->standardIcon(which, nullptr, &widget);
    const QIcon theirs = fusion->standardIcon(which, nullptr, &widget);
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    QVERIFY(!ours.isNull());
    QCOMPARE(ours.availableSizes(), theirs.availableSizes());
    for (const QSize size : theirs.availableSizes())
        QCOMPARE(ours.pixmap(size).toImage(), theirs.pixmap(size).toImage());
}

void TestStartup::menuFontFollowsTheApplicationFont()
{
    const QFont before = QApplication::font("QMenu");
    const QFont first = CreateMenuFont(96);
    QCOMPARE(CreateMenuFont(96), first);
    QVERIFY(CreateMenuFont(192).pixelSize() > first.pixelSize());

    QFont larger = before;
    larger.setPointSizeF(before.pointSizeF() * 2);
    QApplication::setFont(larger, "QMenu");
    QVERIFY(CreateMenuFont(96).pixelSize() > first.pixelSize());
    QApplication::setFont(before, "QMenu");
    QCOMPARE(CreateMenuFont(96), first);
}

void TestStartup::unchangedRecentListIsNotWritten()
{
    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("a.nes"));
    QFile(image).open(QIODevice::WriteOnly);
    ClearRecentFiles();
    AddRecentFile(image);
    const QString file = QSettings().fileName();
    QSettings().sync();
    QVERIFY(QFile::exists(file));

    // A comment line survives only as long as nothing rewrites the file.
    {
        QFile settings(file);
        QVERIFY(settings.open(QIODevice::Append));
        settings.write("; kept\n");
    }
    AddRecentFile(image); // already first: nothing changes
    QSettings().sync();
    {
        QFile settings(file);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("; kept"));
    }
    QCOMPARE(RecentFiles().size(), qsizetype{1});

    // A change is written.
    const QString other = folder.filePath(QStringLiteral("b.nes"));
    QFile(other).open(QIODevice::WriteOnly);
    AddRecentFile(other);
    QSettings().sync();
    QFile settings(file);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(!settings.readAll().contains("; kept"));
    QCOMPARE(RecentFiles().size(), qsizetype{2});
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
