// h_trelmo_screenshots OUTPUT_FOLDER: renders the main window (waiting and card-listed),
// the comparison tab, the progress window and the about box into PNG files. The program's
// folders and settings go to a temporary folder; no dialog waits for a user.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

#include "app/F_main.h"
#include "app/qt_adapters.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhqt_modal.h"
#include "device/U_kalden_common.h"
#include "progress/Dh_progress_info.h"

namespace {

QString output_dir;
bool all_saved = true;

void save_grab(QWidget& widget, const char* name) {
    QCoreApplication::processEvents();
    const QString path = QDir(output_dir).filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
        all_saved = false;
    }
}

// Message boxes are answered unseen.
class t_silent_dialogs : public t_dialog_presenter {
  public:
    bool show_dialog(t_dialog_kind, const std::string&, const std::string&) override {
        return false;
    }
};

// Modal dialogs are shown, rendered into a file and closed.
class t_grabbing_runner : public t_modal_runner {
  public:
    const char* file_name = "dialog.png";
    int run(QDialog& dialog) override {
        dialog.show();
        save_grab(dialog, file_name);
        dialog.hide();
        return QDialog::Accepted;
    }
};

void save_demo_archive(const std::string& path, int32_t device_number, float changed_value) {
    t_zor73_process process;
    process.header.archive_kind = archive_kind_daily;
    process.header.device_number = device_number;
    process.header.record_format = record_format_2t4v;
    for (int day = 0; day < 5; ++day) {
        HData record;
        record.date_text = QString("%1.03.2010").arg(5 + day, 2, 10, QChar('0')).toStdString();
        record.hour = 23;
        record.value1 = day == 3 ? changed_value : 10.0f * day;
        process.records.push_back(record);
    }
    process.save_to_file(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: h_trelmo_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    output_dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output_dir);
    QTemporaryDir temp;
    qputenv("H_SYSTEM_DIR", QDir(temp.path()).filePath("h_system").toLocal8Bit());
    qputenv("H_TRELMO_INI", QDir(temp.path()).filePath("h_trelmo.ini").toLocal8Bit());
    install_russian_translations();
    install_font_substitutions();
    QApplication::setFont(QFont("DejaVu Sans"));
    t_silent_dialogs dialogs;
    set_dialog_presenter(&dialogs);
    t_grabbing_runner runner;
    set_modal_runner(&runner);
    install_qt_message_processor();

    std::vector<std::string> args = {"h_trelmo", "-SHOW_COMPARE1"};
    std::vector<char*> fake_argv = {args[0].data(), args[1].data()};
    set_command_line(2, fake_argv.data());

    t_hlog log;
    Tform_main window(log);
    window.show();
    window.resize(560, 420);
    save_grab(window, "main_window_waiting.png");
    window.show_card_listed_state(
        {"0001234 (2T4V)", "-", "Удалено", "0004711 (3T3V)", "-", "0000042 (4T4V)"});
    save_grab(window, "main_window.png");

    const std::string file1 = QDir(temp.path()).filePath("a.z7m").toStdString();
    const std::string file2 = QDir(temp.path()).filePath("b.z7m").toStdString();
    save_demo_archive(file1, 1234, 30.0f);
    save_demo_archive(file2, 4711, 31.5f);
    window.PageControl_main->setCurrentWidget(window.TabSheet_compare);
    window.Edit_compared_file1->setText(QString::fromStdString(file1));
    window.Edit_compared_file2->setText(QString::fromStdString(file2));
    window.BitBtn5->click();
    save_grab(window, "compare_tab.png");
    window.PageControl_main->setCurrentWidget(window.TabSheet1);

    runner.file_name = "about_box.png";
    window.Action_get_about->trigger();

    {
        th_progress_info progress;
        progress.add_action("Поиск карты на портах", 2, 4, 0);
        progress.add_action("Считывание данных с карты", 1, 65536, 0);
        progress.add_action("Сохранение файла", 0, 1, 0);
        progress.show();
        progress.set_current_action(1);
        progress.get_progress_bar()->setValue(24000);
        save_grab(*progress.form, "progress_window.png");
        progress.hide();
    }
    window.close();
    return all_saved ? 0 : 1;
}
