#pragma once
#include <QDialog>
#include <QString>

class QShowEvent;

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace tess {

// The folder browser, as the shell's looks: the caller's instruction inside the
// dialog above a tree of folders, opened at the desktop folder (the home folder
// when there is none), with "OK" and "キャンセル". Only folders are shown and
// only a folder can be confirmed; hidden folders stay out of the tree.
class FolderBrowser : public QDialog {
    Q_OBJECT
public:
    FolderBrowser(QWidget *owner, const QString &instruction);

    static QString windowCaption(); // "フォルダーの参照"
    // Where browsing starts: the user's desktop folder when it exists, else home.
    static QString startFolder();

    // The folder the tree has selected, without a trailing "/" except for the
    // root; empty when none is.
    QString selectedFolder() const;
    // Selects folder in the tree, opening its parents; false when the tree
    // cannot show it (missing, not a folder, hidden).
    bool selectFolder(const QString &folder);

    QLabel *instructionLabel() const { return m_instruction; }
    QTreeView *tree() const { return m_tree; }
    QPushButton *okButton() const;
    QPushButton *cancelButton() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void updateOk();
    void keepStartInView();

    QLabel *m_instruction = nullptr;
    QTreeView *m_tree = nullptr;
    QFileSystemModel *m_model = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QString m_start; // the folder the tree opened at, until the user moves on
};

} // namespace tess
