#include "ui/common/AppStyle.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

#include <initializer_list>

namespace quorvan {

namespace {

class ProgramStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
            // Decided as the common style decides it: by the option, else by the application.
            const bool rtl = option != nullptr ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
            const QIcon read = icon == SP_ToolBarVerticalExtensionButton
                                   ? ReadIcon(QStringLiteral("toolbar-ext-v-"), {5, 10, 20})
                                   : ReadIcon(rtl ? QStringLiteral("toolbar-ext-h-rtl-") : QStringLiteral("toolbar-ext-h-"),
                                              {8, 16, 32});
            if (!read.isNull())
                return read;
        }
        return QProxyStyle::standardIcon(icon, option, widget);
    }

private:
    // The common style's icon of that name at each of its sizes, read as PNG.
    static QIcon ReadIcon(const QString& stem, std::initializer_list<int> sizes)
    {
        QIcon icon;
        for (const int size : sizes) {
            const QString path = QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1%2.png").arg(stem).arg(size);
            if (!QFile::exists(path))
                continue;
            QImageReader reader(path, "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull())
                icon.addPixmap(QPixmap::fromImage(image));
        }
        return icon;
    }
};

} // namespace

QString ApplicationStyleName()
{
    const QStyle* style = QApplication::style();
    if (const auto* ours = qobject_cast<const ProgramStyle*>(style))
        style = ours->baseStyle();
    return style != nullptr ? style->name() : QString();
}

void UseProgramStyle()
{
    // Only over Fusion, whose icons are known to be those files; any other
    // platform style stays exactly as it is. Installed once.
    if (qobject_cast<const ProgramStyle*>(QApplication::style()) != nullptr)
        return;
    const QString name = ApplicationStyleName();
    if (name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        return;
    QApplication::setStyle(new ProgramStyle(name));
}

} // namespace quorvan

#include "AppStyle.moc"
