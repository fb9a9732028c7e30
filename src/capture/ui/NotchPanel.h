#pragma once

#include <QWidget>

class AppState;
class PanelView;

// The window of one screen's panel: frameless, above everything, never in the
// task bar, and not taking the keyboard from the application in front except
// while a tag name is typed into it.
class NotchPanel : public QWidget {
    Q_OBJECT
public:
    NotchPanel(AppState& state, PanelView* view);

    PanelView* view() const { return content; }

    // Lets the panel take keyboard focus (while a tag name is typed) or
    // makes it refuse focus again.
    void setAcceptsFocus(bool accepts);
    bool acceptsFocus() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateMask();

    AppState& state;
    PanelView* content;
};
