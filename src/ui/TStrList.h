#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class QListWidget;

namespace Ui {
class TStrList;
}

namespace vivrelo {

// The picker: a borderless list that drops down under a text edit and writes the chosen
// entry into it. Enter or a click on an entry chooses it (the edit's text becomes the entry,
// its "tag" property the entry's index from 0, and it gets the focus with its text selected);
// Escape or a click elsewhere closes the picker and leaves the edit as it was. A closed picker
// is only hidden; it belongs to the edit's window.
class TStrList : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kEntryHeight = 13;
    static constexpr int kVisibleEntries = 8;

    // Opens a picker for the edit with these entries, the way every caller does: fill, place
    // under the edit, remember the edit and its text, focus the edit, show.
    static TStrList *open(QLineEdit *edit, const QStringList &entries, const QColor &color = QColor(255, 255, 242));

    explicit TStrList(QWidget *parent = nullptr);
    ~TStrList() override;

    QListWidget *list() const;
    void setListColor(const QColor &color);
    void setEntries(const QStringList &entries);
    // Left edge on the edit's left, top 16 pixels below the edit's top, 15 pixels wider.
    void placeUnder(const QLineEdit *edit);
    void setTarget(QLineEdit *edit);
    QLineEdit *target() const { return m_target; }
    QString currentText() const { return m_currentText; }

Q_SIGNALS:
    // An entry went into the target edit.
    void chosen(int index, const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose();

    std::unique_ptr<Ui::TStrList> ui;
    QPointer<QLineEdit> m_target;
    QString m_currentText;
};

} // namespace vivrelo
