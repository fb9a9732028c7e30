#pragma once

#include <QPushButton>

class QVariantAnimation;

// One capsule of the tag bar: a name and a count side by side. A chosen chip
// fills with the accent colour; choosing and leaving fade between the two
// looks with an ease-out rather than jumping.
class TagChip : public QPushButton {
    Q_OBJECT
public:
    TagChip(const QString& name, int count, QWidget* parent = nullptr);

    QString name() const { return chipName; }
    int count() const { return chipCount; }

    bool isSelected() const { return selected; }
    // animated: fade to the new look; otherwise show it at once (as when the
    // chip first appears).
    void setSelected(bool selected, bool animated);
    // How far the look is towards chosen: 0 to 1.
    qreal selectionAmount() const { return amount; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr int fadeMs = 180;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString chipName;
    int chipCount;
    bool selected = false;
    bool hovered = false;
    qreal amount = 0;
    QVariantAnimation* fade;
};
