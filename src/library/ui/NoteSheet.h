#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The sheet for writing a new note, over a dimmed page: a text editor with
// "Cancel" (Escape) and "Save" (Ctrl+Return), "Save" only while the note has
// more than white space.
class NoteSheet : public QWidget {
    Q_OBJECT
public:
    explicit NoteSheet(QWidget* parent = nullptr);

    void open();
    QPlainTextEdit* editor() const { return textEdit; }
    QPushButton* saveButton() const { return save; }
    QPushButton* cancelButton() const { return cancel; }
    QWidget* panel() const { return sheet; }

    // The note to keep: the text trimmed of white space and line breaks.
    QString trimmedText() const;

    static constexpr int sheetWidth = 460;

Q_SIGNALS:
    // Save was chosen with a non-empty note.
    void saved(const QString& text);
    // The sheet closed, saved or not.
    void closedSheet();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void close();

    QWidget* sheet;
    QPlainTextEdit* textEdit;
    QPushButton* save;
    QPushButton* cancel;
};
