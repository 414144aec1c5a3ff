#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <memory>

#include <unistd.h>
#include <stdexcept>

#include "app/F_main.h"
#include "app/gui_stop_signal.h"
#include "common/hunits/U_base_classes.h"
#include "common/hunits/f_about_box.h"
#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"
#include "gui_test_env.h"
#include "progress/Dh_work_control.h"

using t_card_command = Tform_main::t_card_command;
Q_DECLARE_METATYPE(t_card_command)

namespace {

// Sets the command line that the window reads (argument 0 is the program).
void set_arguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> storage = arguments;
    std::vector<char*> argv;
    for (std::string& argument : storage) {
        argv.push_back(argument.data());
    }
    set_command_line(static_cast<int>(argv.size()), argv.data());
}

QColor text_colour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

void expect_waiting_state(const Tform_main& window) {
    QVERIFY(window.ListBox_devs->isHidden());
    QVERIFY(!window.btn_read_dev->isEnabled());
    QVERIFY(!window.btn_del_dev_from_card->isEnabled());
    QCOMPARE(window.Label_status->text(), QString("Ожидание"));
    QCOMPARE(text_colour(window.Label_status), QColor(255, 0, 0));
}

}  // namespace

class test_main_window : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        env = std::make_unique<t_gui_test_env>();
        log = std::make_unique<t_hlog>();
        set_arguments({"h_trelmo"});
    }
    void cleanup() {
        log.reset();
        env.reset();
    }

    void first_start();
    void settings_stored_and_restored();
    void port_setting_out_of_range_data();
    void port_setting_out_of_range();
    void compare_switch_data();
    void compare_switch();
    void port_choice_data();
    void port_choice();
    void port_choice_only_on_users_pick();
    void card_listed_state_and_back();
    void data_folder_choice_data();
    void data_folder_choice();
    void hints_in_status_bar_data();
    void hints_in_status_bar();
    void menu_and_about_box();
    void card_buttons_run_their_command_data();
    void card_buttons_run_their_command();
    void no_second_command_and_no_close_while_one_runs();
    void stop_signal_closes_the_window_after_the_command();
    void escaped_exception_is_shown_and_work_goes_on_data();
    void escaped_exception_is_shown_and_work_goes_on();
    void save_dialog_of_a_read();
    void compared_file_choice();
    void comparison_report_data();
    void comparison_report();

  private:
    std::unique_ptr<t_gui_test_env> env;
    std::unique_ptr<t_hlog> log;
};

void test_main_window::first_start() {
    Tform_main window(*log);
    // FormCreate: folders, parents first, and this run's log.
    const QDir logs(QString::fromStdString(env->system_dir + "/h_trelmo/logs"));
    QVERIFY(QDir(logs.filePath("scans")).exists());
    QVERIFY(QDir(logs.filePath("bin")).exists());
    QCOMPARE(logs.entryList(QDir::Files), QStringList{"h_trelmo20100401-090507042.log"});
    QCOMPARE(hlog, log.get());
    QVERIFY(log->is_file_opened());

    window.show();
    QCOMPARE(window.windowTitle(), QString("Работа с картой данных zor-73"));
    QCOMPARE(window.minimumSize(), QSize(500, 400));
    QCOMPARE(window.Edit_data_dir_name->text().toStdString(), get_program_dir());
    QVERIFY(window.CheckBox_to_days->isChecked());
    QCOMPARE(window.cb_port_list->currentText(), QString("0x0378"));
    QCOMPARE(window.port_address(), 0x378);
    QCOMPARE(window.PageControl_main->currentWidget(), window.TabSheet1);
    QVERIFY(!window.PageControl_main->isTabVisible(
        window.PageControl_main->indexOf(window.TabSheet_compare)));
    expect_waiting_state(window);
    QCOMPARE(window.Label_err_info->text(),
             QString("Нет информации о карте на выбранном порте.\nОбновите список ПУ на карте!"));
    QCOMPARE(text_colour(window.Label_err_info), QColor(255, 0, 0));
    QVERIFY(window.Label_err_info->isVisible());
    QVERIFY(env->dialogs.shown.empty());
    QCOMPARE(env->modal.unexpected, 0);
}

void test_main_window::settings_stored_and_restored() {
    const QString ini = QString::fromStdString(env->ini_file);
    {
        // A window closed before it was shown has read nothing and stores nothing.
        t_hlog unshown_log;
        Tform_main unshown(unshown_log);
        QVERIFY(unshown.close());
        QVERIFY(!QFile::exists(ini));
    }
    const QString data_dir = QString::fromStdString(env->path("данные ПУ"));
    {
        Tform_main window(*log);
        window.show();
        window.Edit_data_dir_name->setText(data_dir);
        window.CheckBox_to_days->setChecked(false);
        window.select_port_entry(1);  // where a scan found the card
        window.move(30, 40);
        window.resize(640, 480);
        QVERIFY(window.close());
    }
    QVERIFY(QFile::exists(ini));

    env->clock.advance_ms(1);
    t_hlog next_log;
    Tform_main window(next_log);
    window.show();
    QCOMPARE(window.Edit_data_dir_name->text(), data_dir);
    QVERIFY(!window.CheckBox_to_days->isChecked());
    QCOMPARE(window.cb_port_list->currentText(), QString("0x0278"));
    QCOMPARE(window.port_address(), 0x278);
    expect_waiting_state(window);
    QCOMPARE(window.pos(), QPoint(30, 40));
    QCOMPARE(window.size(), QSize(640, 480));
    // Each start writes its own log file.
    const QDir logs(QString::fromStdString(env->system_dir + "/h_trelmo/logs"));
    QCOMPARE(logs.entryList(QDir::Files),
             (QStringList{"h_trelmo20100401-090507042.log", "h_trelmo20100401-090507043.log"}));
    QVERIFY(window.close());
}

void test_main_window::port_setting_out_of_range_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("port");
    QTest::newRow("last entry") << QByteArray("3") << "0x9800";
    QTest::newRow("past the list") << QByteArray("7") << "0x0378";
    QTest::newRow("negative") << QByteArray("-1") << "0x0378";
    QTest::newRow("not a number") << QByteArray("abc") << "0x0378";
    QTest::newRow("empty") << QByteArray("") << "0x0378";
}

void test_main_window::port_setting_out_of_range() {
    QFETCH(QByteArray, value);
    QFETCH(QString, port);
    QFile ini(QString::fromStdString(env->ini_file));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[MAIN]\r\ncb_port_list=" + value + "\r\n");
    ini.close();
    Tform_main window(*log);
    window.show();
    QCOMPARE(window.cb_port_list->currentText(), port);
    QCOMPARE(window.port_address(), std::stoi(port.toStdString(), nullptr, 16));
    QVERIFY(env->dialogs.shown.empty());
}

void test_main_window::compare_switch_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("shown");
    QTest::newRow("none") << QStringList{"h_trelmo"} << false;
    QTest::newRow("the switch") << QStringList{"h_trelmo", "-SHOW_COMPARE1"} << true;
    QTest::newRow("inside another argument")
        << QStringList{"h_trelmo", "a", "x-SHOW_COMPARE1y"} << true;
    QTest::newRow("in the program's path") << QStringList{"/opt/-SHOW_COMPARE1/h_trelmo"} << true;
    QTest::newRow("lower case") << QStringList{"h_trelmo", "-show_compare1"} << false;
}

void test_main_window::compare_switch() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, shown);
    std::vector<std::string> args;
    for (const QString& argument : arguments) {
        args.push_back(argument.toStdString());
    }
    set_arguments(args);
    Tform_main window(*log);
    window.show();
    QCOMPARE(window.PageControl_main->isTabVisible(
                 window.PageControl_main->indexOf(window.TabSheet_compare)),
             shown);
    QCOMPARE(window.PageControl_main->currentWidget(), window.TabSheet1);
}

void test_main_window::port_choice_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("address");
    QTest::newRow("0x0378") << 0 << "0x0378" << 0x378;
    QTest::newRow("0x0278") << 1 << "0x0278" << 0x278;
    QTest::newRow("0x03BC") << 2 << "0x03BC" << 0x3BC;
    QTest::newRow("0x9800") << 3 << "0x9800" << 0x9800;
}

void test_main_window::port_choice() {
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, address);
    Tform_main window(*log);
    window.show();
    QCOMPARE(window.cb_port_list->count(), 4);
    window.show_card_listed_state({"0001234 (2T4V)", "-", "Удалено"});
    window.cb_port_list->setCurrentIndex(index);
    emit window.cb_port_list->activated(index);  // the user's pick
    QCOMPARE(window.cb_port_list->itemText(index), text);
    QCOMPARE(window.port_address(), address);
    expect_waiting_state(window);
    QVERIFY(env->dialogs.shown.empty());
}

void test_main_window::port_choice_only_on_users_pick() {
    Tform_main window(*log);
    window.show();
    window.show_card_listed_state({"0001234 (2T4V)"});
    // The program selecting an entry (as the scan does) runs no port choice.
    window.select_port_entry(2);
    QCOMPARE(window.cb_port_list->currentText(), QString("0x03BC"));
    QCOMPARE(window.port_address(), 0x378);
    QVERIFY(window.ListBox_devs->isVisible());
    // A pick with the keyboard does.
    window.cb_port_list->setFocus();
    QTest::keyClick(window.cb_port_list, Qt::Key_Down);
    QCOMPARE(window.cb_port_list->currentText(), QString("0x9800"));
    QCOMPARE(window.port_address(), 0x9800);
    expect_waiting_state(window);
}

void test_main_window::card_listed_state_and_back() {
    Tform_main window(*log);
    window.show();
    window.show_card_listed_state({"0001234 (2T4V)", "-", "Удалено", "", "-", "0000042 (1T2V)"});
    QVERIFY(window.ListBox_devs->isVisible());
    QCOMPARE(window.ListBox_devs->count(), 6);
    QCOMPARE(window.selected_device_line(), 0);
    QVERIFY(window.btn_read_dev->isEnabled());
    QVERIFY(window.btn_del_dev_from_card->isEnabled());
    QCOMPARE(window.Label_status->text(), QString("Работа"));
    QCOMPARE(text_colour(window.Label_status), QColor(0, 128, 0));
    // The list covers the message while shown.
    QVERIFY(window.ListBox_devs->geometry().contains(window.Label_err_info->geometry()));

    window.show_waiting_state();
    window.clear_device_list();
    expect_waiting_state(window);
    QCOMPARE(window.ListBox_devs->count(), 0);
    QCOMPARE(window.selected_device_line(), -1);
    QVERIFY(window.Label_err_info->isVisible());
}

void test_main_window::data_folder_choice_data() {
    QTest::addColumn<QString>("choice");  // "" cancels
    QTest::addColumn<bool>("taken");
    QTest::newRow("cancelled") << "" << false;
    QTest::newRow("existing folder") << "existing" << true;
    QTest::newRow("new folder, parent exists") << "existing/new" << true;
    QTest::newRow("parent is a file") << "plain_file/new" << false;
}

void test_main_window::data_folder_choice() {
    QFETCH(QString, choice);
    QFETCH(bool, taken);
    QVERIFY(QDir().mkpath(QString::fromStdString(env->path("existing"))));
    QFile plain(QString::fromStdString(env->path("plain_file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    Tform_main window(*log);
    window.show();
    const QString start = QString::fromStdString(env->path("existing"));
    window.Edit_data_dir_name->setText(start);
    const std::string chosen = env->path(choice.toStdString());
    QString seen_dir, seen_caption;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        seen_dir = files.directory().absolutePath();
        seen_caption = files.windowTitle();
        if (choice.isEmpty()) {
            return int(QDialog::Rejected);
        }
        files.selectFile(QString::fromStdString(chosen));
        return int(QDialog::Accepted);
    });
    window.Action_select_data_dir->trigger();

    QCOMPARE(env->modal.run_names, std::vector<std::string>{"select_dir"});
    QCOMPARE(seen_caption, QString("Выберите каталог для сохранения файлов данных"));
    QCOMPARE(QDir(seen_dir), QDir(start));
    QCOMPARE(window.Edit_data_dir_name->text(), taken ? QString::fromStdString(chosen) : start);
    if (taken) {
        QVERIFY(QDir(QString::fromStdString(chosen)).exists());
    }
    const bool failure = !choice.isEmpty() && !taken;
    QCOMPARE(env->dialogs.shown.size(), size_t(failure ? 1 : 0));
    if (failure) {
        QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::error);
        QCOMPARE(env->dialogs.shown[0].text, "Ошибка создания каталога: " + chosen);
        QCOMPARE(env->dialogs.shown[0].caption, std::string("Ошибка!"));
    }
}

void test_main_window::hints_in_status_bar_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("btn_scan_ports") << "btn_scan_ports"
                                    << "Поиск карты"
                                    << "Просканировать порты для поиска карты";
    QTest::newRow("BitBtn2") << "BitBtn2"
                             << "Обновить список"
                             << "Считать список ПУ с карты на выбранном адресе";
    QTest::newRow("btn_read_dev") << "btn_read_dev"
                                  << "Считать"
                                  << "Считать данные выбранного ПУ";
    QTest::newRow("btn_del_dev_from_card") << "btn_del_dev_from_card"
                                           << "Удалить"
                                           << "Удалить данные выбранного ПУ";
    QTest::newRow("btn_clear_card") << "btn_clear_card"
                                    << "Очистить"
                                    << "Очистить карту";
    QTest::newRow("BitBtn6") << "BitBtn6"
                             << "Выбор"
                             << "Выбор каталога из списка каталогов";
    QTest::newRow("Edit_data_dir_name")
        << "Edit_data_dir_name"
        << ""
        << "Каталог, куда по умолчанию буду сохраняться файлы данных";
    QTest::newRow("cb_port_list") << "cb_port_list"
                                  << ""
                                  << "Адрес порта для работы";
    QTest::newRow("ListBox_devs") << "ListBox_devs"
                                  << ""
                                  << "Список ячеек карты для работы";
    QTest::newRow("CheckBox_to_days") << "CheckBox_to_days"
                                      << "Переводить в суточные"
                                      << "Переводить данные в суточне или нет";
    QTest::newRow("GroupBox_state") << "GroupBox_state"
                                    << "Состояние"
                                    << "Информация о состоянии";
}

void test_main_window::hints_in_status_bar() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    set_arguments({"h_trelmo", "-SHOW_COMPARE1"});
    Tform_main window(*log);
    window.show();
    window.show_card_listed_state({"-"});
    auto* widget = window.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QCOMPARE(button->text(), caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        QCOMPARE(group->title(), caption);
    }
    QCOMPARE(widget->statusTip(), hint);
    // The pointer comes to rest on the control.
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(widget, &enter);
    QCOMPARE(window.sb_main->currentMessage(), hint);
}

void test_main_window::menu_and_about_box() {
    Tform_main window(*log);
    window.show();
    QCOMPARE(window.N_files->title(), QString("Файлы"));
    QCOMPARE(window.N_files->actions(), QList<QAction*>{window.Action_close_app});
    QCOMPARE(window.Action_close_app->text(), QString("Закрыть"));
    QCOMPARE(window.Action_close_app->statusTip(), QString("Закрывает приложение"));
    QCOMPARE(window.N_info->title(), QString("Информация"));
    QCOMPARE(window.N_info->actions(), QList<QAction*>{window.Action_get_about});
    QCOMPARE(window.Action_get_about->text(), QString("Информация о программе..."));
    QCOMPARE(window.Action_get_about->iconText(), QString("О программе..."));
    QCOMPARE(window.Action_get_about->statusTip(),
             QString("Выводит информацию об версии ПО и разработчиках"));
    // A menu item's hint goes to the status bar too.
    window.Action_get_about->showStatusText(&window);
    QCOMPARE(window.sb_main->currentMessage(),
             QString("Выводит информацию об версии ПО и разработчиках"));

    for (int opening = 0; opening < 2; ++opening) {
        QString title, version, developers;
        QWidget* parent = nullptr;
        env->modal.steps.push_back([&](QDialog& dialog) {
            auto& form = dynamic_cast<Tform_tavok_about_box&>(dialog);
            title = form.lab_unit_title->text();
            version = form.lab_version->text();
            developers = form.memo_autors->toPlainText();
            parent = form.parentWidget();
            return int(QDialog::Accepted);
        });
        window.Action_get_about->trigger();
        QCOMPARE(title, QString("Программа работы с ПУ типа ZOR-73"));
        QCOMPARE(version, QString("Версия: 1.0.0.12"));
        QVERIFY(!developers.isEmpty());
        QCOMPARE(parent, &window);  // centred on the main window
        QVERIFY(window.findChildren<Tform_tavok_about_box*>().isEmpty());  // destroyed again
    }
    QVERIFY(env->dialogs.shown.empty());
}

void test_main_window::card_buttons_run_their_command_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<t_card_command>("command");
    QTest::newRow("Поиск карты") << "btn_scan_ports" << t_card_command::scan_for_card;
    QTest::newRow("Обновить список") << "BitBtn2" << t_card_command::read_title;
    QTest::newRow("Считать") << "btn_read_dev" << t_card_command::read_dev;
    QTest::newRow("Удалить") << "btn_del_dev_from_card" << t_card_command::delete_dev;
    QTest::newRow("Очистить") << "btn_clear_card" << t_card_command::clear_card;
}

void test_main_window::card_buttons_run_their_command() {
    QFETCH(QString, button);
    QFETCH(t_card_command, command);
    Tform_main window(*log);
    window.show();
    window.show_card_listed_state({"0001234 (2T4V)"});
    std::vector<t_card_command> run;
    window.set_card_command_runner([&](t_card_command c) { run.push_back(c); });
    QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(run, std::vector<t_card_command>{command});
    QVERIFY(!window.card_command_running());
}

void test_main_window::no_second_command_and_no_close_while_one_runs() {
    Tform_main window(*log);
    window.show();
    std::vector<t_card_command> run;
    bool close_refused = false;
    window.set_card_command_runner([&](t_card_command c) {
        run.push_back(c);
        if (c != t_card_command::read_title) {
            return;
        }
        // While the long command processes the window's events, the user clicks another
        // card button and the window's close box.
        QVERIFY(window.card_command_running());
        QTest::mouseClick(window.btn_clear_card, Qt::LeftButton);
        window.Action_scan_for_card->trigger();
        close_refused = !window.close();
    });
    window.Action_read_title->trigger();
    QCOMPARE(run, std::vector<t_card_command>{t_card_command::read_title});
    QVERIFY(close_refused);
    QVERIFY(window.isVisible());
    QCOMPARE(window.sb_main->currentMessage(), QString("Дождитесь окончания операции с картой."));

    // Once it has ended, commands run and the window closes again.
    window.Action_clear_card->trigger();
    QCOMPARE(run.back(), t_card_command::clear_card);
    QVERIFY(window.close());
}

void test_main_window::stop_signal_closes_the_window_after_the_command() {
    Tform_main window(*log);
    window.show();
    t_stop_signal_watcher watcher(window);
    bool visible_during_command = false;
    window.set_card_command_runner([&](t_card_command) {
        // The signal handler's wake-up byte arrives while a read processes messages.
        QVERIFY(::write(watcher.wakeup_fd(), "x", 1) == 1);
        for (int round = 0; round < 20; ++round) {
            QTest::qWait(10);
        }
        visible_during_command = window.isVisible();
    });
    window.Action_read_dev->trigger();
    QVERIFY(visible_during_command);
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(QFile::exists(QString::fromStdString(env->ini_file)));  // closed the normal way
}

void test_main_window::escaped_exception_is_shown_and_work_goes_on_data() {
    QTest::addColumn<QString>("raised");
    QTest::addColumn<QString>("message");
    QTest::newRow("program error") << "Exception"
                                   << "ОШИБКА В РАБОТЕ ПРОГРАММЫ:";
    QTest::newRow("standard exception") << "std"
                                        << "vector::at";
    QTest::newRow("stop request") << "e_user_break"
                                  << "";
    QTest::newRow("anything else") << "int"
                                   << "";
}

void test_main_window::escaped_exception_is_shown_and_work_goes_on() {
    QFETCH(QString, raised);
    QFETCH(QString, message);
    Tform_main window(*log);
    window.show();
    int calls = 0;
    window.set_card_command_runner([&](t_card_command) {
        if (++calls > 1) {
            return;
        }
        if (raised == "Exception") {
            throw Exception(message.toStdString());
        } else if (raised == "std") {
            throw std::out_of_range(message.toStdString());
        } else if (raised == "e_user_break") {
            throw e_user_break();
        }
        throw 42;
    });
    QTest::mouseClick(window.btn_scan_ports, Qt::LeftButton);
    QCOMPARE(env->dialogs.shown.size(), size_t(1));
    QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::error);
    QCOMPARE(env->dialogs.shown[0].text, message.toStdString());
    QCOMPARE(env->dialogs.shown[0].caption, std::string("Работа с картой данных zor-73"));
    // The next command runs and the window still closes.
    QTest::mouseClick(window.btn_scan_ports, Qt::LeftButton);
    QCOMPARE(calls, 2);
    QVERIFY(window.close());
}

void test_main_window::save_dialog_of_a_read() {
    Tform_main window(*log);
    window.show();
    const std::string folder = env->path("data");
    QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
    const std::string proposed = folder + "/0001234_d_20100401_090507.z7m";
    QString title, directory, typed, suffix;
    QStringList filters;
    bool save_mode = false;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        title = files.windowTitle();
        directory = files.directory().absolutePath();
        typed = files.selectedFiles().value(0);
        filters = files.nameFilters();
        suffix = files.defaultSuffix();
        save_mode = files.acceptMode() == QFileDialog::AcceptSave &&
                    !files.testOption(QFileDialog::DontConfirmOverwrite);
        files.selectFile(QString::fromStdString(folder + "/other"));
        return int(QDialog::Accepted);
    });
    env->modal.steps.push_back([](QDialog&) { return int(QDialog::Rejected); });
    std::string chosen;
    QVERIFY(window.select_save_file_name(folder, proposed, chosen));
    QCOMPARE(env->modal.run_names[0], std::string("SaveDialog_from_card"));
    QCOMPARE(title, QString("Имя файла для сохранения..."));
    QCOMPARE(QDir(directory), QDir(QString::fromStdString(folder)));
    QCOMPARE(typed, QString::fromStdString(proposed));
    QCOMPARE(filters, QStringList{"*.z7m"});
    QCOMPARE(suffix, QString("z7m"));
    QVERIFY(save_mode);
    QCOMPARE(chosen, folder + "/other.z7m");  // the extension is added when none was typed

    chosen = "unchanged";
    QVERIFY(!window.select_save_file_name(folder, proposed, chosen));
    QCOMPARE(chosen, std::string("unchanged"));
}

void test_main_window::compared_file_choice() {
    set_arguments({"h_trelmo", "-SHOW_COMPARE1"});
    Tform_main window(*log);
    window.show();
    const QString data_dir = QString::fromStdString(env->path(""));
    window.Edit_data_dir_name->setText(data_dir);
    const std::string picked = env->path("a.z7m");
    QString seen_dir;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        seen_dir = files.directory().absolutePath();
        files.selectFile(QString::fromStdString(picked));
        return int(QDialog::Accepted);
    });
    env->modal.steps.push_back([](QDialog&) { return int(QDialog::Rejected); });
    QCOMPARE(window.Edit_compared_file1->text(), QString("."));
    QCOMPARE(window.Edit_compared_file2->text(), QString("."));
    QTest::mouseClick(window.BitBtn4, Qt::LeftButton);
    QTest::mouseClick(window.BitBtn3, Qt::LeftButton);
    QCOMPARE(env->modal.run_names,
             (std::vector<std::string>{"OpenDialog_compare", "OpenDialog_compare"}));
    QCOMPARE(QDir(seen_dir), QDir(data_dir));
    QCOMPARE(window.Edit_compared_file1->text(), QString::fromStdString(picked));
    QCOMPARE(window.Edit_compared_file2->text(), QString("."));  // cancelled
}

namespace {
// A small daily archive of device `device_number` with `values.size()` records, one a day
// from 05.03.2010, saved as `path`.
void save_archive(const std::string& path, int32_t device_number, const std::vector<float>& values,
                  double read_time) {
    t_zor73_process process;
    process.header.archive_kind = archive_kind_daily;
    process.header.device_number = device_number;
    process.header.record_format = record_format_2t4v;
    process.header.read_time = read_time;
    for (size_t i = 0; i < values.size(); ++i) {
        HData record;
        record.date_text = QString("%1.03.2010").arg(5 + i, 2, 10, QChar('0')).toStdString();
        record.hour = 23;
        record.value1 = values[i];
        process.records.push_back(record);
    }
    QVERIFY(process.save_to_file(path));
}
}  // namespace

void test_main_window::comparison_report_data() {
    QTest::addColumn<QString>("file1");
    QTest::addColumn<QString>("file2");
    QTest::addColumn<QStringList>("lines");  // "!" marks a red line
    QTest::addColumn<QString>("error");      // the load failure shown, or empty
    const QStringList steps_to_records = {"Сравнение заголовков", "Сравнение архивов",
                                          "Сравнение кол-ва записей"};
    QTest::newRow("identical files, read at different times")
        << "a.z7m"
        << "a_again.z7m" << steps_to_records + QStringList{"Сравнение данных записей"} << "";
    QTest::newRow("other device, one record differs")
        << "a.z7m"
        << "other_device.z7m"
        << QStringList{"Сравнение заголовков",
                       "!Ошибка сравнения!",
                       "Сравнение архивов",
                       "Сравнение кол-ва записей",
                       "Сравнение данных записей",
                       "Найдены различия запись: №1, время записи: dt1 = 06.03.2010 dt2 "
                       "=06.03.2010"}
        << "";
    QTest::newRow("record counts differ")
        << "a.z7m"
        << "longer.z7m"
        << steps_to_records + QStringList{"!Ошибка: разное кол-во записей в архивах!"} << "";
    QTest::newRow("initial texts") << "."
                                   << "." << QStringList{} << "Ошибка загрузки файла: .";
    QTest::newRow("second file missing")
        << "a.z7m"
        << "missing.z7m" << QStringList{} << "Ошибка загрузки файла: missing.z7m";
}

void test_main_window::comparison_report() {
    QFETCH(QString, file1);
    QFETCH(QString, file2);
    QFETCH(QStringList, lines);
    QFETCH(QString, error);
    save_archive(env->path("a.z7m"), 1234, {1.5f, 2.5f, 3.5f}, 40268.5);
    save_archive(env->path("a_again.z7m"), 1234, {1.5f, 2.5f, 3.5f}, 40269.25);
    save_archive(env->path("other_device.z7m"), 4321, {1.5f, 2.75f, 3.5f}, 40268.5);
    save_archive(env->path("longer.z7m"), 1234, {1.5f, 2.5f, 3.5f, 4.5f}, 40268.5);
    // The file names of the table are relative to the test's folder.
    struct t_current_dir {
        QString saved = QDir::currentPath();
        ~t_current_dir() { QDir::setCurrent(saved); }
    } current_dir;
    QVERIFY(QDir::setCurrent(QString::fromStdString(env->path(""))));

    set_arguments({"h_trelmo", "-SHOW_COMPARE1"});
    Tform_main window(*log);
    window.show();
    window.Edit_compared_file1->setText(file1);
    window.Edit_compared_file2->setText(file2);
    // Each comparison starts from an empty box.
    for (int press = 0; press < 2; ++press) {
        env->dialogs.shown.clear();
        QTest::mouseClick(window.BitBtn5, Qt::LeftButton);
        const QColor normal = window.RichEdit_compare->palette().color(QPalette::Text);
        QStringList seen;
        const QTextDocument* doc = window.RichEdit_compare->document();
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            if (doc->isEmpty()) {
                break;
            }
            const QColor colour = block.begin().fragment().charFormat().foreground().color();
            QVERIFY(colour == normal || colour == QColor(255, 0, 0));
            seen << (colour == normal ? "" : "!") + block.text();
        }
        QCOMPARE(seen, lines);
        if (error.isEmpty()) {
            QVERIFY(env->dialogs.shown.empty());
        } else {
            QCOMPARE(env->dialogs.shown.size(), size_t(1));
            QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::error);
            QCOMPARE(QString::fromStdString(env->dialogs.shown[0].text), error);
            QCOMPARE(env->dialogs.shown[0].caption, std::string("Ошибка!"));
        }
    }
}

QTEST_MAIN(test_main_window)
#include "test_main_window.moc"
