#pragma once

#include <QPalette>
#include <QWidget>

// A rounded, hairline-bordered surface filled with one colour of its
// palette. It reads the palette each time it paints, so it follows an
// appearance switch at run time, which a style sheet's colours do not: they
// are fixed when the sheet is applied.
class RoundedPanel : public QWidget {
public:
    RoundedPanel(qreal radius, QPalette::ColorRole fill, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal radius;
    QPalette::ColorRole fill;
};
