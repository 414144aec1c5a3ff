#include "app/qt_adapters.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "common/hunits/uhqt_modal.h"
#include "progress/Dh_work_control.h"

bool t_qt_dialog_presenter::show_dialog(t_dialog_kind kind, const std::string& text,
                                        const std::string& caption) {
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName("message_box");
    box.setWindowTitle(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    switch (kind) {
        case t_dialog_kind::error:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case t_dialog_kind::warning:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case t_dialog_kind::info:
            box.setIcon(QMessageBox::Information);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case t_dialog_kind::yes_no:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            break;
    }
    return run_modal(box) == QMessageBox::Yes;
}

void install_qt_message_processor() {
    set_message_processor([] { QCoreApplication::processEvents(); });
}

bool install_russian_translations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void install_font_substitutions() {
    QFont::insertSubstitution("MS Sans Serif", "DejaVu Sans");
}
