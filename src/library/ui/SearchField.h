#pragma once

#include <QFrame>

class QLineEdit;
class QToolButton;

// The floating field at the bottom of the library: a magnifying glass, the
// query and a clear button while there is one.
class SearchField : public QFrame {
    Q_OBJECT
public:
    explicit SearchField(QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return edit; }
    QToolButton* clearButton() const { return clear; }

    static constexpr int height = 44;
    // Room around the field for its shadow; the widget is this much larger.
    static constexpr int shadowMargin = 14;
    static constexpr int maxWidth = 560;

Q_SIGNALS:
    void queryChanged(const QString& query);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void takeColours();

    class QLabel* glass;
    QLineEdit* edit;
    QToolButton* clear;
};
