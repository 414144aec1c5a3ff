#include "app/qt_adapters.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
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

void t_qt_progress_sink::set_max_position(int32_t max) {
    bar.setMaximum(max);
}

void t_qt_progress_sink::set_position(int32_t position) {
    bar.setValue(position);
}

void t_qt_progress_sink::step_position(int32_t delta) {
    bar.setValue(bar.value() + delta);
}

std::string t_qt_form_geometry::form_name() const {
    return form.objectName().toStdString();
}

int32_t t_qt_form_geometry::top() const {
    return form.y();
}

int32_t t_qt_form_geometry::left() const {
    return form.x();
}

int32_t t_qt_form_geometry::height() const {
    return form.height();
}

int32_t t_qt_form_geometry::width() const {
    return form.width();
}

int32_t t_qt_form_geometry::window_state() const {
    if (form.isMinimized()) {
        return 1;
    }
    return form.isMaximized() ? 2 : 0;
}

void t_qt_form_geometry::set_top(int32_t top) {
    form.move(form.x(), top);
}

void t_qt_form_geometry::set_left(int32_t left) {
    form.move(left, form.y());
}

void t_qt_form_geometry::set_height(int32_t height) {
    form.resize(form.width(), height);
}

void t_qt_form_geometry::set_width(int32_t width) {
    form.resize(width, form.height());
}

void t_qt_form_geometry::set_window_state(int32_t state) {
    const Qt::WindowStates states[] = {Qt::WindowNoState, Qt::WindowMinimized, Qt::WindowMaximized};
    if (state >= 0 && state <= 2) {
        form.setWindowState(states[state]);
    }
}

t_screen_sizes current_screen_sizes() {
    t_screen_sizes sizes;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        sizes.desktop_width = screen->virtualSize().width();
        sizes.desktop_height = screen->virtualSize().height();
        sizes.primary_width = screen->size().width();
        sizes.primary_height = screen->size().height();
    }
    return sizes;
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
