#include "common/hunits/uhFuncs_qt.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextEdit>

#include "common/hunits/uhqt_modal.h"

bool select_dir(const std::string& caption, const std::string& root, std::string& dir) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(caption));
    dialog.setObjectName("select_dir");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly);
    const QString start = QString::fromStdString(dir);
    if (!start.isEmpty() && QFileInfo(start).isDir()) {
        dialog.setDirectory(start);
    }
    if (run_modal(dialog) != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) {
        return false;
    }
    dir = QDir::toNativeSeparators(chosen.first()).toStdString();
    return true;
}

void add_color_line(QTextEdit* edit, const std::string& text, const QColor& colour) {
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    if (!edit->document()->isEmpty()) {
        cursor.insertBlock();
    }
    QTextCharFormat format = cursor.charFormat();
    format.setForeground(colour);
    cursor.insertText(QString::fromStdString(text), format);
}

QWidget* application_main_window() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->inherits("QMainWindow")) {
            return widget;
        }
    }
    return nullptr;
}
