#pragma once

#include "capture/ClipContent.h"

#include <QWidget>
#include <optional>

class AppState;
class Categorizer;
class FrontmostApplication;
class NotchDropDelegate;
class QLabel;
class QLineEdit;
class QMenu;
class QPainterPath;
class QRectF;
class QStackedLayout;
class QToolButton;
class Scheduler;
class Store;

// The content of a notch panel: the black shape growing out of the top edge
// with, by the panel's state, nothing, the drop zone, the keep prompt, the
// new-tag field or the flash. Only reads the state and calls its operations;
// the panel's size comes from the controller.
class PanelView : public QWidget {
    Q_OBJECT
public:
    PanelView(AppState& state, Store& store, const Categorizer& categorizer, Scheduler& scheduler,
              FrontmostApplication& frontmost, QWidget* parent = nullptr);
    ~PanelView() override;

    // The page shown now (for tests and screenshots).
    enum class Page { empty, dropZone, keepRow, newTagRow, flashRow };
    Page page() const;

    QToolButton* keepButton() const { return keepRowKeep; }
    QToolButton* tagMenuButton() const { return tagButton; }
    QMenu* tagMenu() const { return menu; }
    QLineEdit* newTagField() const { return tagField; }
    QLabel* flashLabel() const { return flashText; }
    QLabel* titleLabel() const { return title; }
    QLabel* kindLabel() const { return kind; }
    // The "· ✦ Tag" part after the kind, hidden without a predicted tag.
    QWidget* predictionBox() const { return prediction; }
    QLabel* predictedTagLabel() const { return predictedTag; }

    static constexpr int cornerRadius = 18;
    // The panel's outline in a rectangle: square top corners, round bottom ones.
    static QPainterPath shape(const QRectF& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildDropZone();
    QWidget* buildKeepRow();
    QWidget* buildNewTagRow();
    QWidget* buildFlashRow();
    QWidget* rowPage(QWidget* row);
    QToolButton* makeKeepButton();
    QToolButton* makeCloseButton();
    void fillTagMenu();
    void refresh();
    void showClip(const ClipContent& clip);

    AppState& state;
    Store& store;
    const Categorizer& categorizer;
    Scheduler& scheduler;
    std::unique_ptr<NotchDropDelegate> dropDelegate;

    QStackedLayout* pages = nullptr;
    QWidget* emptyPage = nullptr;
    QWidget* dropPage = nullptr;
    QWidget* keepPage = nullptr;
    QWidget* newTagPage = nullptr;
    QWidget* flashPage = nullptr;
    QLabel* symbol = nullptr;
    QLabel* title = nullptr;
    QLabel* kind = nullptr;
    QWidget* prediction = nullptr;
    QLabel* predictedTag = nullptr;
    QToolButton* tagButton = nullptr;
    QMenu* menu = nullptr;
    QToolButton* keepRowKeep = nullptr;
    QLineEdit* tagField = nullptr;
    QLabel* flashText = nullptr;
    // The clip the keep row shows, so its title and prediction are worked
    // out once per clip rather than on every change of the state.
    std::optional<ClipContent> shownClip;
};
