// h_trelmo_screenshots OUTPUT_FOLDER: renders the program as a user sees it into PNG files:
// the main window waiting and with the demo card listed (simulated reader), the progress
// window over it during a read, the save dialog, the comparison of two files read from
// the card, and the about box. The program's folders and settings go to a fresh folder
// under the temporary folder; a virtual clock makes every run render the same pictures.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <cstdio>
#include <string>
#include <vector>

#include "app/F_main.h"
#include "app/U_port_choice.h"
#include "app/qt_adapters.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/h_clock.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhqt_modal.h"
#include "progress/Dh_progress_info.h"
#include "progress/Dh_work_control.h"

namespace {

QString output_dir;
bool all_saved = true;

void save_pixmap(const QPixmap& pixmap, const char* name) {
    const QString path = QDir(output_dir).filePath(name);
    if (!pixmap.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
        all_saved = false;
    }
}

void save_grab(QWidget& widget, const char* name) {
    QCoreApplication::processEvents();
    save_pixmap(widget.grab(), name);
}

// Message boxes would mean that something went wrong: they are printed and answered no.
class t_reported_dialogs : public t_dialog_presenter {
  public:
    bool show_dialog(t_dialog_kind, const std::string& text, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        all_saved = false;
        return false;
    }
};

// Modal dialogs are shown, rendered into a file when one is named, closed and accepted.
class t_grabbing_runner : public t_modal_runner {
  public:
    const char* file_name = nullptr;
    int run(QDialog& dialog) override {
        if (file_name != nullptr) {
            if (dialog.objectName() == "SaveDialog_from_card") {
                dialog.resize(720, 420);
            }
            dialog.show();
            save_grab(dialog, file_name);
            dialog.hide();
            file_name = nullptr;
        }
        return QDialog::Accepted;
    }
};

Tform_progress_info* shown_progress_window() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Tform_progress_info*>(widget); form && form->isVisible()) {
            return form;
        }
    }
    return nullptr;
}

// The main window with the progress window where it stands over it.
QPixmap grab_with_progress(QWidget& window, QWidget& progress) {
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    painter.drawPixmap(progress.pos() - window.pos(), progress.grab());
    return picture;
}

// The one data file in `folder` that is not in `before`.
QString new_file(const QString& folder, const QStringList& before) {
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (!before.contains(name)) {
            return QDir(folder).filePath(name);
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: h_trelmo_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    output_dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output_dir);
    // A fixed folder, so that the paths in the pictures do not change from run to run.
    QDir work(QDir(QDir::tempPath()).filePath("h_trelmo_screenshots"));
    work.removeRecursively();
    QDir().mkpath(work.path());
    qputenv("H_SYSTEM_DIR", work.filePath("h_system").toLocal8Bit());
    qputenv("H_TRELMO_INI", work.filePath("h_trelmo.ini").toLocal8Bit());
    // The settings name the data folder, as after a user's choice.
    const QString data_dir = work.filePath("Архивы ПУ");
    QDir().mkpath(data_dir);
    {
        QFile ini(work.filePath("h_trelmo.ini"));
        const std::string folder =
            (QDir::toNativeSeparators(data_dir) + QDir::separator()).toStdString();
        if (!ini.open(QIODevice::WriteOnly) ||
            ini.write(("[MAIN]\r\ndata_file_dir_name=" + utf8_to_cp1251(folder) + "\r\n").c_str()) <
                0) {
            std::fprintf(stderr, "cannot write the settings file\n");
            return 1;
        }
    }
    install_russian_translations();
    install_font_substitutions();
    QApplication::setFont(QFont("DejaVu Sans"));
    t_virtual_clock clock({2014, 8, 5, 14, 30, 0, 0});
    set_h_clock(&clock);
    t_reported_dialogs dialogs;
    set_dialog_presenter(&dialogs);
    t_grabbing_runner runner;
    set_modal_runner(&runner);
    install_qt_message_processor();

    std::vector<std::string> args = {"h_trelmo", "--simulate", "-SHOW_COMPARE1"};
    std::vector<char*> fake_argv = {args[0].data(), args[1].data(), args[2].data()};
    set_command_line(3, fake_argv.data());

    {
        t_hlog log;
        Tform_main window(log);
        int status = 0;
        std::unique_ptr<t_port_backend> backend = choose_window_port_backend(args, status);
        if (!backend) {
            return 1;
        }
        window.set_port_backend(std::move(backend));
        window.show();
        window.resize(600, 440);
        save_grab(window, "main_window_waiting.png");

        window.btn_scan_ports->click();  // the demo card is on the first port
        window.ListBox_devs->setCurrentRow(0);
        save_grab(window, "main_window.png");

        // A read of the first device: the progress window a third of the way, then the save
        // dialog with the proposed name.
        int rounds = 0;
        set_message_processor([&] {
            QCoreApplication::processEvents();
            Tform_progress_info* progress = shown_progress_window();
            if (progress != nullptr && ++rounds == 450) {
                save_pixmap(grab_with_progress(window, *progress), "progress_window.png");
            }
        });
        runner.file_name = "save_dialog.png";
        window.btn_read_dev->click();
        const QString first_read = new_file(data_dir, {});

        // The same device read again an hour later, compared with the first file.
        clock.advance_ms(3600 * 1000);
        set_message_processor([] { QCoreApplication::processEvents(); });
        window.btn_read_dev->click();
        const QString second_read = new_file(data_dir, {QFileInfo(first_read).fileName()});

        window.resize(760, 440);
        window.PageControl_main->setCurrentWidget(window.TabSheet_compare);
        window.Edit_compared_file1->setText(QDir::toNativeSeparators(first_read));
        window.Edit_compared_file2->setText(QDir::toNativeSeparators(second_read));
        window.BitBtn5->click();
        save_grab(window, "compare_tab.png");
        window.PageControl_main->setCurrentWidget(window.TabSheet1);

        runner.file_name = "about_box.png";
        window.Action_get_about->trigger();
        window.close();
        set_message_processor({});
        if (first_read.isEmpty() || second_read.isEmpty()) {
            std::fprintf(stderr, "the reads saved no file\n");
            all_saved = false;
        }
    }
    set_h_clock(nullptr);
    work.removeRecursively();
    return all_saved ? 0 : 1;
}
