// The card commands through the real main window on the simulated card reader: what the
// window shows, the progress window and its stop button, the save dialog, files on disk,
// and the port switched off and closed on every path.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <functional>
#include <memory>

#include "app/F_main.h"
#include "app/U_program_start.h"
#include "card/simulator/demo_card.h"
#include "card/simulator/sim_port_backend.h"
#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"
#include "gui_test_env.h"
#include "progress/Dh_progress_info.h"
#include "progress/Dh_work_control.h"

namespace {

// The demo card (six cells) as the device list shows it.
const QStringList demo_lines = {"0021049 (2T4V)", "0012391 (3T3V)", "-",
                                "0011659 (4T4V)", "Удалено",        "-"};

// Passes everything to the simulated reader and counts the opens and closes.
class t_counting_port : public t_port_backend {
  public:
    explicit t_counting_port(std::unique_ptr<t_sim_port_backend> inner)
        : sim(*inner), inner(std::move(inner)) {}
    t_port_open_result open(uint32_t base, std::string& error_text) override {
        const t_port_open_result result = inner->open(base, error_text);
        if (result == t_port_open_result::opened) {
            ++opens;
            is_open = true;
        }
        return result;
    }
    void close() override {
        ++closes;
        is_open = false;
        inner->close();
    }
    void write_data(uint8_t value) override { inner->write_data(value); }
    uint8_t read_status() override { return inner->read_status(); }

    t_sim_port_backend& sim;
    int opens = 0;
    int closes = 0;
    bool is_open = false;

  private:
    std::unique_ptr<t_sim_port_backend> inner;
};

// The progress window on screen, or nullptr.
Tform_progress_info* shown_progress_window() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Tform_progress_info*>(widget); form && form->isVisible()) {
            return form;
        }
    }
    return nullptr;
}

bool progress_window_exists() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Tform_progress_info*>(widget)) {
            return true;
        }
    }
    return false;
}

QStringList device_lines(const Tform_main& window) {
    QStringList lines;
    for (int i = 0; i < window.ListBox_devs->count(); ++i) {
        lines << window.ListBox_devs->item(i)->text();
    }
    return lines;
}

QColor text_colour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

std::vector<uint8_t> cell_of(const std::vector<uint8_t>& card, int cell) {
    const auto begin = card.begin() + static_cast<std::ptrdiff_t>(cell) * cell_size;
    return {begin, begin + cell_size};
}

}  // namespace

class test_card_commands_window : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        env = std::make_unique<t_gui_test_env>();
        log = std::make_unique<t_hlog>();
        std::vector<std::string> args = {"h_trelmo"};
        std::vector<char*> argv = {args[0].data()};
        set_command_line(1, argv.data());
        rounds = 0;
        at_round = {};
    }
    void cleanup() {
        window.reset();
        log.reset();
        env.reset();
    }

    void scan_finds_the_card_on_the_second_port();
    void scan_without_a_card();
    void scan_disables_the_window_while_stop_works();
    void read_and_save_data();
    void read_and_save();
    void stop_during_a_read();
    void refused_without_card_access_data();
    void refused_without_card_access();
    void delete_and_clear_data();
    void delete_and_clear();
    void no_other_command_port_pick_or_close_during_a_read();

  private:
    // The window on a simulated reader at `reader_port` holding `card`, shown.
    void open_window(std::vector<uint8_t> card, uint32_t reader_port = 0x378) {
        window = std::make_unique<Tform_main>(*log);
        auto sim = std::make_unique<t_sim_port_backend>(t_sim_card{std::move(card), nullptr},
                                                        reader_port, t_sim_reader_faults{});
        auto counting = std::make_unique<t_counting_port>(std::move(sim));
        port = counting.get();
        window->set_port_backend(std::move(counting));
        window->show();
        data_dir = env->path("data");
        window->Edit_data_dir_name->setText(QString::fromStdString(data_dir));
        // Rounds of pending-message processing with the progress window on screen count;
        // `at_round` acts at the one it names.
        set_message_processor([this] {
            QCoreApplication::processEvents();
            if (shown_progress_window() != nullptr && ++rounds == at_round.first &&
                at_round.second) {
                at_round.second();
            }
        });
    }
    // Calls `action` at the n-th processing of pending messages, from now on, while the
    // progress window is shown.
    void at_progress_round(int n, std::function<void()> action) {
        at_round = {rounds + n, std::move(action)};
    }
    // "Обновить список" on the chosen port; the card must be listed afterwards.
    void list_card() {
        QTest::mouseClick(window->BitBtn2, Qt::LeftButton);
        QVERIFY(window->ListBox_devs->isVisible());
        env->dialogs.shown.clear();
        port->opens = port->closes = 0;
    }
    // Whatever way the command ended: card off, port closed, progress window gone, window
    // enabled, the next command may start.
    void expect_released() {
        QVERIFY(!port->is_open);
        QCOMPARE(port->opens, port->closes);
        QVERIFY(!window->commands.card_drv.is_driver_open());
        QVERIFY(!port->sim.reader().powered());
        QVERIFY(!progress_window_exists());
        QVERIFY(window->isEnabled());
        QVERIFY(!window->card_command_running());
        QCOMPARE(window->commands.card_drv.get_progress_bar(), nullptr);
    }
    std::vector<std::string> shown_texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : env->dialogs.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    QStringList data_files() const {
        return QDir(QString::fromStdString(data_dir)).entryList(QDir::Files);
    }

    std::unique_ptr<t_gui_test_env> env;
    std::unique_ptr<t_hlog> log;
    std::unique_ptr<Tform_main> window;
    t_counting_port* port = nullptr;
    std::string data_dir;
    int rounds = 0;
    std::pair<int, std::function<void()>> at_round;
};

void test_card_commands_window::scan_finds_the_card_on_the_second_port() {
    open_window(make_demo_card_image(), 0x278);
    QTest::mouseClick(window->btn_scan_ports, Qt::LeftButton);

    QVERIFY(env->dialogs.shown.empty());
    QVERIFY(window->ListBox_devs->isVisible());
    QCOMPARE(device_lines(*window), demo_lines);
    QCOMPARE(window->ListBox_devs->currentRow(), 0);
    QCOMPARE(window->Label_status->text(), QString("Работа"));
    QCOMPARE(text_colour(window->Label_status), QColor(0, 128, 0));
    QVERIFY(window->btn_read_dev->isEnabled());
    QVERIFY(window->btn_del_dev_from_card->isEnabled());
    QCOMPARE(window->cb_port_list->currentText(), QString("0x0278"));
    QCOMPARE(window->port_address(), 0x278);
    QVERIFY(window->commands.is_card_identified());
    // The first port was opened and closed before the second.
    QCOMPARE(port->opens, 2);
    expect_released();
}

void test_card_commands_window::scan_without_a_card() {
    open_window(std::vector<uint8_t>(6 * cell_size, 0xFF));  // a blank card
    QTest::mouseClick(window->btn_scan_ports, Qt::LeftButton);

    QCOMPARE(shown_texts(), std::vector<std::string>{"Карта не найдена!"});
    QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::error);
    QCOMPARE(env->dialogs.shown[0].caption, std::string("Ошибка!"));
    QVERIFY(window->ListBox_devs->isHidden());
    QVERIFY(window->Label_err_info->isVisible());
    QCOMPARE(window->Label_status->text(), QString("Ожидание"));
    QCOMPARE(text_colour(window->Label_status), QColor(255, 0, 0));
    QVERIFY(!window->btn_read_dev->isEnabled());
    QCOMPARE(window->cb_port_list->currentText(), QString("0x9800"));
    QCOMPARE(window->port_address(), 0x9800);
    QVERIFY(!window->commands.is_card_identified());
    QCOMPARE(port->opens, 4);
    expect_released();
}

void test_card_commands_window::scan_disables_the_window_while_stop_works() {
    open_window(make_demo_card_image(), 0x9800);  // the last port: the scan runs long
    bool window_enabled = true;
    bool stop_enabled = false;
    QString step;
    at_progress_round(3, [&] {
        Tform_progress_info* progress = shown_progress_window();
        QVERIFY(progress != nullptr);
        window_enabled = window->isEnabled();
        stop_enabled = progress->btn_stop->isEnabled() && progress->isEnabled();
        step = QString::fromStdString(progress->progress_info->table.at(0).name);
        QTest::mouseClick(progress->btn_stop, Qt::LeftButton);
    });
    QTest::mouseClick(window->btn_scan_ports, Qt::LeftButton);

    QVERIFY(!window_enabled);
    QVERIFY(stop_enabled);
    QCOMPARE(step, QString("Поиск карты на портах"));
    QCOMPARE(shown_texts(),
             (std::vector<std::string>{"Прервано пользователем!", "Карта не найдена!"}));
    QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::info);
    QVERIFY(window->ListBox_devs->isHidden());
    QVERIFY(!window->commands.is_card_identified());
    expect_released();
}

void test_card_commands_window::read_and_save_data() {
    QTest::addColumn<bool>("daily");
    QTest::addColumn<int>("line");
    QTest::newRow("daily, first device") << true << 0;
    QTest::newRow("hourly, 3T3V device") << false << 1;
}

void test_card_commands_window::read_and_save() {
    QFETCH(bool, daily);
    QFETCH(int, line);
    const std::vector<uint8_t> card = make_demo_card_image();
    open_window(card);
    list_card();
    // The data folder is made when missing (one level).
    data_dir = env->path("data/archives");
    QVERIFY(QDir().mkpath(QString::fromStdString(env->path("data"))));
    window->Edit_data_dir_name->setText(QString::fromStdString(data_dir));
    window->CheckBox_to_days->setChecked(daily);
    window->ListBox_devs->setCurrentRow(line);

    QString title, folder, proposed;
    bool released_at_save = false;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        title = files.windowTitle();
        folder = files.directory().absolutePath();
        proposed = files.selectedFiles().value(0);
        released_at_save = !port->is_open && !progress_window_exists();
        return int(QDialog::Accepted);  // the proposed name as it stands
    });
    QTest::mouseClick(window->btn_read_dev, Qt::LeftButton);

    QCOMPARE(env->modal.run_names, std::vector<std::string>{"SaveDialog_from_card"});
    QVERIFY(env->dialogs.shown.empty());
    QCOMPARE(title, QString("Имя файла для сохранения..."));
    QCOMPARE(QDir(folder), QDir(QString::fromStdString(data_dir)));
    QVERIFY(released_at_save);  // the port is closed before the save
    QCOMPARE(data_files().size(), 1);

    // The file is the decoding of the cell as the card holds it, stamped when it was read.
    const QString saved = QDir(QString::fromStdString(data_dir)).filePath(data_files()[0]);
    QCOMPARE(QDir::cleanPath(proposed), QDir::cleanPath(saved));
    t_zor73_process from_file;
    QVERIFY(from_file.load_from_file(saved.toStdString()));
    t_zor73_process expected;
    expected.decode_cell(cell_of(card, line), daily);
    expected.header.read_time = from_file.header.read_time;
    QCOMPARE(expected.header.archive_kind, daily ? archive_kind_daily : archive_kind_hourly);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const std::vector<uint8_t> expected_bytes = encode_data_file(expected);
    QVERIFY(bytes == QByteArray(reinterpret_cast<const char*>(expected_bytes.data()),
                                static_cast<qsizetype>(expected_bytes.size())));
    QCOMPARE(saved.toStdString(), make_file_name(expected, data_dir));
    expect_released();
    QCOMPARE(port->opens, 1);
    // The list stays as it was.
    QCOMPARE(device_lines(*window), demo_lines);
    QCOMPARE(window->ListBox_devs->currentRow(), line);
}

void test_card_commands_window::stop_during_a_read() {
    open_window(make_demo_card_image());
    list_card();
    int bar_value = -1;
    QString step;
    bool progress_enabled = false;
    at_progress_round(100, [&] {
        Tform_progress_info* progress = shown_progress_window();
        QVERIFY(progress != nullptr);
        step = QString::fromStdString(progress->progress_info->table.at(0).name);
        bar_value = progress->progress_bar_current_action->value();
        progress_enabled = progress->isEnabled() && window->isEnabled();
        QTest::mouseClick(progress->btn_stop, Qt::LeftButton);
    });
    QTest::mouseClick(window->btn_read_dev, Qt::LeftButton);

    QCOMPARE(step, QString("Считывание данных с карты"));
    QVERIFY(progress_enabled);  // a read leaves the main window enabled
    QVERIFY(bar_value > 0 && bar_value < cell_size);
    QCOMPARE(shown_texts(), std::vector<std::string>{"Прервано пользователем!"});
    QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::info);
    QCOMPARE(env->dialogs.shown[0].caption, std::string("Информация!"));
    QVERIFY(env->modal.run_names.empty());  // no save dialog
    QVERIFY(data_files().isEmpty());
    QCOMPARE(port->opens, 1);
    expect_released();
    // The window works on: the card is still listed.
    QVERIFY(window->ListBox_devs->isVisible());
    QVERIFY(window->commands.is_card_identified());
}

void test_card_commands_window::refused_without_card_access_data() {
    QTest::addColumn<bool>("listed");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    const QString not_identified =
        "Вначале программа должна опознать карту!\nВоспользуйтесь сканированием портов.";
    QTest::newRow("read of a '-' line") << true << 2 << "btn_read_dev"
                                        << "Нечего считывать.";
    QTest::newRow("read of a deleted line") << true << 4 << "btn_read_dev"
                                            << "Нечего считывать.";
    QTest::newRow("clear before any list") << false << -1 << "btn_clear_card" << not_identified;
    QTest::newRow("read before any list") << false << -1 << "btn_read_dev" << not_identified;
}

void test_card_commands_window::refused_without_card_access() {
    QFETCH(bool, listed);
    QFETCH(int, line);
    QFETCH(QString, button);
    QFETCH(QString, message);
    const std::vector<uint8_t> card = make_demo_card_image();
    open_window(card);
    if (listed) {
        list_card();
        window->ListBox_devs->setCurrentRow(line);
    }
    // "Считать" is disabled before a list; its action still runs the command's own check.
    auto* pressed = window->findChild<QPushButton*>(button);
    QVERIFY(pressed != nullptr);
    pressed->setEnabled(true);
    QTest::mouseClick(pressed, Qt::LeftButton);

    QCOMPARE(shown_texts(), std::vector<std::string>{message.toStdString()});
    QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::error);
    QCOMPARE(env->dialogs.shown[0].caption, std::string("Ошибка!"));
    QCOMPARE(port->opens, 0);
    QVERIFY(env->modal.run_names.empty());
    QVERIFY(port->sim.reader().image() == card);
    expect_released();
}

void test_card_commands_window::delete_and_clear_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("opens");
    const QString delete_question = "Вы уверены, что хотите удалить данные выбранной ячейки карты?";
    const QString clear_question = "Вы действительно хотите удалить данные всех ячеек карты?";
    QStringList first_deleted = demo_lines;
    first_deleted[1] = "Удалено";
    QTest::newRow("delete, yes") << "btn_del_dev_from_card" << true << delete_question
                                 << "Удаление данных ячейки!" << first_deleted << 1;
    QTest::newRow("delete, no") << "btn_del_dev_from_card" << false << delete_question
                                << "Удаление данных ячейки!" << demo_lines << 0;
    QTest::newRow("clear, yes") << "btn_clear_card" << true << clear_question << "Очистка карты!"
                                << QStringList(6, "Удалено") << 1;
    // The no still re-reads the directory behind the question.
    QTest::newRow("clear, no") << "btn_clear_card" << false << clear_question << "Очистка карты!"
                               << demo_lines << 1;
}

void test_card_commands_window::delete_and_clear() {
    QFETCH(QString, button);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QString, caption);
    QFETCH(QStringList, lines);
    QFETCH(int, opens);
    const std::vector<uint8_t> card = make_demo_card_image();
    open_window(card);
    list_card();
    window->ListBox_devs->setCurrentRow(1);
    env->dialogs.answers.push_back(answer);
    QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);

    QCOMPARE(shown_texts(), std::vector<std::string>{question.toStdString()});
    QCOMPARE(env->dialogs.shown[0].kind, t_dialog_kind::yes_no);
    QCOMPARE(env->dialogs.shown[0].caption, caption.toStdString());
    QCOMPARE(device_lines(*window), lines);
    QVERIFY(window->ListBox_devs->isVisible());
    QCOMPARE(window->Label_status->text(), QString("Работа"));
    QCOMPARE(port->opens, opens);
    // The card holds what the list shows: the deleted mark in byte 0 of each deleted cell.
    const std::vector<uint8_t>& now = port->sim.reader().image();
    for (int cell = 0; cell < 6; ++cell) {
        const size_t first = static_cast<size_t>(cell) * cell_size;
        if (lines[cell] == "Удалено") {
            QCOMPARE(now[first], cell_deleted_mark);
        } else {
            QCOMPARE(now[first], card[first]);
        }
    }
    expect_released();
}

void test_card_commands_window::no_other_command_port_pick_or_close_during_a_read() {
    open_window(make_demo_card_image());
    list_card();
    bool close_refused = false;
    QString busy_message;
    at_progress_round(50, [&] {
        QVERIFY(window->card_command_running());
        QTest::mouseClick(window->btn_scan_ports, Qt::LeftButton);
        QTest::mouseClick(window->BitBtn2, Qt::LeftButton);
        env->dialogs.answers.push_back(true);
        QTest::mouseClick(window->btn_clear_card, Qt::LeftButton);
        QTest::mouseClick(window->btn_del_dev_from_card, Qt::LeftButton);
        QTest::mouseClick(window->btn_read_dev, Qt::LeftButton);
        // The user picks another port in the list.
        window->cb_port_list->setCurrentIndex(3);
        emit window->cb_port_list->activated(3);
        window->Action_close_app->trigger();
        close_refused = !window->close();
        busy_message = window->sb_main->currentMessage();
    });
    env->modal.steps.push_back([](QDialog&) { return int(QDialog::Rejected); });
    QTest::mouseClick(window->btn_read_dev, Qt::LeftButton);

    QVERIFY(close_refused);
    QVERIFY(window->isVisible());
    QCOMPARE(busy_message, QString("Дождитесь окончания операции с картой."));
    // Only the read ran: one open, no question, and its save dialog came as usual.
    QCOMPARE(port->opens, 1);
    QVERIFY(env->dialogs.shown.empty());
    QCOMPARE(env->modal.run_names, std::vector<std::string>{"SaveDialog_from_card"});
    QVERIFY(port->sim.reader().image() == make_demo_card_image());
    // The port pick did not switch the display or the port under the read.
    QCOMPARE(window->cb_port_list->currentText(), QString("0x0378"));
    QCOMPARE(window->port_address(), 0x378);
    QVERIFY(window->ListBox_devs->isVisible());
    QCOMPARE(window->Label_status->text(), QString("Работа"));
    expect_released();

    // Afterwards the port choice, commands and closing work again.
    window->cb_port_list->setCurrentIndex(1);
    emit window->cb_port_list->activated(1);
    QCOMPARE(window->port_address(), 0x278);
    QVERIFY(window->ListBox_devs->isHidden());
    QVERIFY(window->close());
}

QTEST_MAIN(test_card_commands_window)
#include "test_card_commands_window.moc"
