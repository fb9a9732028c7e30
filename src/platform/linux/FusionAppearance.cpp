#include "platform/linux/FusionAppearance.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

QPalette FusionAppearance::lightPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xf5, 0xf5, 0xf7));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xee, 0xee, 0xf0));
    palette.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8a, 0x8e));
    palette.setColor(QPalette::Button, QColor(0xfb, 0xfb, 0xfd));
    palette.setColor(QPalette::ButtonText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::ToolTipBase, Qt::white);
    palette.setColor(QPalette::ToolTipText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x0a, 0x6c, 0xd8));
    palette.setColor(QPalette::Mid, QColor(0xc7, 0xc7, 0xcc));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0xa0, 0xa0, 0xa5));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0xa0, 0xa0, 0xa5));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xa0, 0xa0, 0xa5));
    return palette;
}

QPalette FusionAppearance::darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf7));
    palette.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2d));
    palette.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x36));
    palette.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf7));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
    palette.setColor(QPalette::ButtonText, QColor(0xf2, 0xf2, 0xf7));
    palette.setColor(QPalette::ToolTipBase, QColor(0x2c, 0x2c, 0x2e));
    palette.setColor(QPalette::ToolTipText, QColor(0xf2, 0xf2, 0xf7));
    palette.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x64, 0xa8, 0xff));
    palette.setColor(QPalette::Mid, QColor(0x48, 0x48, 0x4a));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6e, 0x6e, 0x73));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6e, 0x6e, 0x73));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6e, 0x6e, 0x73));
    return palette;
}

void FusionAppearance::apply(const QString& appearance) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    if (!desktopStyle) {
        desktopStyle = QApplication::style()->name();
        desktopPalette = QApplication::palette();
    }
    if (appearance == u"light"_s || appearance == u"dark"_s) {
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        QApplication::setPalette(appearance == u"dark"_s ? darkPalette() : lightPalette());
        return;
    }
    QApplication::setStyle(QStyleFactory::create(*desktopStyle));
    QApplication::setPalette(*desktopPalette);
}
