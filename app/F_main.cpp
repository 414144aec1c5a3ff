#include "app/F_main.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/U_program_start.h"
#include "app/gui_exceptions.h"
#include "app/qt_adapters.h"
#include "common/hunits/U_base_classes.h"
#include "common/hunits/Uhinifiles.h"
#include "common/hunits/f_about_box.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhFuncs_qt.h"
#include "common/hunits/uhqt_modal.h"
#include "device/data_file_compare.h"

namespace {

const char* const waiting_text = "Ожидание";
const char* const working_text = "Работа";
const char* const no_card_info_text =
    "Нет информации о карте на выбранном порте.\nОбновите список ПУ на карте!";
const char* const busy_text = "Дождитесь окончания операции с картой.";
const char* const about_title_text = "Программа работы с ПУ типа ZOR-73";
const char* const about_developers_text =
    "Программа чтения архивов ПУ ZOR-73 с карты данных.\n"
    "Разработка и сопровождение: группа разработки h_trelmo.";

QAction* make_action(QWidget* owner, const char* name, const char* caption, const char* hint) {
    auto* action = new QAction(QString::fromUtf8(caption), owner);
    action->setObjectName(name);
    action->setStatusTip(QString::fromUtf8(hint));
    return action;
}

// A push button that runs `action` and shows its caption and hint.
QPushButton* make_action_button(QAction* action, const char* name, QWidget* parent) {
    auto* button = new QPushButton(action->iconText(), parent);
    button->setObjectName(name);
    button->setStatusTip(action->statusTip());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    return button;
}

QGroupBox* make_group(const char* name, const char* caption, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    group->setObjectName(name);
    return group;
}

// Layout margins of the low fixed-height groups: their title takes the upper part.
void set_low_group_margins(QLayout* layout) {
    layout->setContentsMargins(6, 2, 6, 4);
}

QFont font_of_height(const QFont& base, int pixels) {
    QFont font = base;
    font.setPixelSize(pixels);
    return font;
}

void set_text_colour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

}  // namespace

Tform_main::Tform_main(t_hlog& log) : QMainWindow(nullptr), commands(*this, nullptr), log(log) {
    setObjectName("form_main");
    setWindowTitle("Работа с картой данных zor-73");
    setFont(font_of_height(font(), 13));
    setMinimumSize(500, 400);
    resize(500, 400);
    move(0, 0);

    create_actions();
    sb_main = new QStatusBar(this);
    sb_main->setObjectName("sb_main");
    setStatusBar(sb_main);

    PageControl_main = new QTabWidget(this);
    PageControl_main->setObjectName("PageControl_main");
    setCentralWidget(PageControl_main);
    create_card_tab();
    create_compare_tab();

    FormCreate();
}

Tform_main::~Tform_main() = default;

void Tform_main::create_actions() {
    Action_scan_for_card = make_action(this, "Action_scan_for_card", "Поиск карты",
                                       "Просканировать порты для поиска карты");
    Action_read_title = make_action(this, "Action_read_title", "Обновить список",
                                    "Считать список ПУ с карты на выбранном адресе");
    Action_read_dev =
        make_action(this, "Action_read_dev", "Считать", "Считать данные выбранного ПУ");
    Action_delete_dev =
        make_action(this, "Action_delete_dev", "Удалить", "Удалить данные выбранного ПУ");
    Action_clear_card = make_action(this, "Action_clear_card", "Очистить", "Очистить карту");
    Action_select_data_dir =
        make_action(this, "Action_select_data_dir", "Выбор", "Выбор каталога из списка каталогов");
    Action_close_app = make_action(this, "Action_close_app", "Закрыть", "Закрывает приложение");
    // The menu shows the long text; the action's own caption is the short one.
    Action_get_about = make_action(this, "Action_get_about", "Информация о программе...",
                                   "Выводит информацию об версии ПО и разработчиках");
    Action_get_about->setIconText("О программе...");

    N_files = menuBar()->addMenu("Файлы");
    N_files->setObjectName("N_files");
    N_files->addAction(Action_close_app);
    N_info = menuBar()->addMenu("Информация");
    N_info->setObjectName("N_info");
    N_info->addAction(Action_get_about);

    connect(Action_scan_for_card, &QAction::triggered, this,
            &Tform_main::Action_scan_for_cardExecute);
    connect(Action_read_title, &QAction::triggered, this, &Tform_main::Action_read_titleExecute);
    connect(Action_read_dev, &QAction::triggered, this, &Tform_main::Action_read_devExecute);
    connect(Action_delete_dev, &QAction::triggered, this, &Tform_main::Action_delete_devExecute);
    connect(Action_clear_card, &QAction::triggered, this, &Tform_main::Action_clear_cardExecute);
    connect(Action_select_data_dir, &QAction::triggered, this,
            &Tform_main::Action_select_data_dirExecute);
    connect(Action_close_app, &QAction::triggered, this, &Tform_main::Action_close_appExecute);
    connect(Action_get_about, &QAction::triggered, this, &Tform_main::Action_get_aboutExecute);
}

void Tform_main::create_card_tab() {
    TabSheet1 = new QWidget(PageControl_main);
    TabSheet1->setObjectName("TabSheet1");
    PageControl_main->addTab(TabSheet1, "Считывание данных с карты");
    auto* tab_layout = new QVBoxLayout(TabSheet1);
    tab_layout->setContentsMargins(4, 4, 4, 4);

    GroupBox_data_dir =
        make_group("GroupBox_data_dir", "Каталог сохранения файлов данных", TabSheet1);
    GroupBox_data_dir->setFixedHeight(54);
    Edit_data_dir_name = new QLineEdit(".", GroupBox_data_dir);
    Edit_data_dir_name->setObjectName("Edit_data_dir_name");
    Edit_data_dir_name->setStatusTip("Каталог, куда по умолчанию буду сохраняться файлы данных");
    BitBtn6 = make_action_button(Action_select_data_dir, "BitBtn6", GroupBox_data_dir);
    auto* dir_layout = new QHBoxLayout(GroupBox_data_dir);
    set_low_group_margins(dir_layout);
    dir_layout->addWidget(Edit_data_dir_name, 1);
    dir_layout->addWidget(BitBtn6);
    tab_layout->addWidget(GroupBox_data_dir);

    GroupBox_port = make_group("GroupBox_port", "Адрес порта", TabSheet1);
    GroupBox_port->setFixedHeight(54);
    cb_port_list = new QComboBox(GroupBox_port);
    cb_port_list->setObjectName("cb_port_list");
    cb_port_list->setEditable(false);
    for (const char* entry : card_port_list) {
        cb_port_list->addItem(entry);
    }
    cb_port_list->setCurrentIndex(0);
    cb_port_list->setStatusTip("Адрес порта для работы");
    Label_status = new QLabel(waiting_text, GroupBox_port);
    Label_status->setObjectName("Label_status");
    Label_status->setFont(font_of_height(font(), 20));
    btn_scan_ports = make_action_button(Action_scan_for_card, "btn_scan_ports", GroupBox_port);
    auto* port_layout = new QHBoxLayout(GroupBox_port);
    set_low_group_margins(port_layout);
    port_layout->addWidget(cb_port_list);
    port_layout->addSpacing(12);
    port_layout->addWidget(Label_status);
    port_layout->addStretch();
    port_layout->addWidget(btn_scan_ports);
    tab_layout->addWidget(GroupBox_port);

    auto* lower = new QHBoxLayout;
    GroupBox_devs = make_group("GroupBox_devs", "Список доступных на карте ПУ", TabSheet1);
    ListBox_devs = new QListWidget(GroupBox_devs);
    ListBox_devs->setObjectName("ListBox_devs");
    ListBox_devs->setFrameShape(QFrame::NoFrame);
    ListBox_devs->setStatusTip("Список ячеек карты для работы");
    Label_err_info = new QLabel("Для выбора карты просканируйте порты", GroupBox_devs);
    Label_err_info->setObjectName("Label_err_info");
    Label_err_info->setFont(font_of_height(font(), 20));
    Label_err_info->setAlignment(Qt::AlignCenter);
    Label_err_info->setWordWrap(true);
    Label_err_info->setContentsMargins(8, 8, 8, 8);
    set_text_colour(Label_err_info, QColor(255, 0, 0));
    // The message lies under the list in the same place: it is seen while the list is hidden.
    auto* devs_layout = new QGridLayout(GroupBox_devs);
    devs_layout->addWidget(Label_err_info, 0, 0);
    devs_layout->addWidget(ListBox_devs, 0, 0);
    ListBox_devs->raise();
    lower->addWidget(GroupBox_devs, 1);

    GroupBox_operations = make_group("GroupBox_operations", "Операции", TabSheet1);
    // 180 pixels, or wider when the font needs it for the check box's caption.
    GroupBox_operations->setMinimumWidth(180);
    BitBtn2 = make_action_button(Action_read_title, "BitBtn2", GroupBox_operations);
    btn_read_dev = make_action_button(Action_read_dev, "btn_read_dev", GroupBox_operations);
    btn_del_dev_from_card =
        make_action_button(Action_delete_dev, "btn_del_dev_from_card", GroupBox_operations);
    btn_clear_card = make_action_button(Action_clear_card, "btn_clear_card", GroupBox_operations);
    btn_read_dev->setEnabled(false);
    btn_del_dev_from_card->setEnabled(false);
    CheckBox_to_days = new QCheckBox("Переводить в суточные", GroupBox_operations);
    CheckBox_to_days->setObjectName("CheckBox_to_days");
    CheckBox_to_days->setStatusTip("Переводить данные в суточне или нет");
    auto* operations_layout = new QVBoxLayout(GroupBox_operations);
    for (QWidget* widget :
         {static_cast<QWidget*>(BitBtn2), static_cast<QWidget*>(btn_read_dev),
          static_cast<QWidget*>(btn_del_dev_from_card), static_cast<QWidget*>(btn_clear_card),
          static_cast<QWidget*>(CheckBox_to_days)}) {
        operations_layout->addWidget(widget);
    }
    operations_layout->addStretch();
    lower->addWidget(GroupBox_operations);
    tab_layout->addLayout(lower, 1);

    connect(cb_port_list, &QComboBox::activated, this, &Tform_main::cb_port_listChange);
}

void Tform_main::create_compare_tab() {
    TabSheet_compare = new QWidget(PageControl_main);
    TabSheet_compare->setObjectName("TabSheet_compare");
    PageControl_main->addTab(TabSheet_compare, "Сравнение");
    auto* tab_layout = new QVBoxLayout(TabSheet_compare);
    tab_layout->setContentsMargins(4, 4, 4, 4);

    auto add_file_group = [&](const char* group_name, const char* caption, const char* edit_name,
                              const char* button_name, QLineEdit*& edit, QPushButton*& button) {
        QGroupBox* group = make_group(group_name, caption, TabSheet_compare);
        group->setFixedHeight(54);
        edit = new QLineEdit(".", group);
        edit->setObjectName(edit_name);
        button = new QPushButton("Выбор", group);
        button->setObjectName(button_name);
        auto* layout = new QHBoxLayout(group);
        set_low_group_margins(layout);
        layout->addWidget(edit, 1);
        layout->addWidget(button);
        tab_layout->addWidget(group);
    };
    add_file_group("GroupBox_file1", "файл 1", "Edit_compared_file1", "BitBtn4",
                   Edit_compared_file1, BitBtn4);
    add_file_group("GroupBox_file2", "Файл 2", "Edit_compared_file2", "BitBtn3",
                   Edit_compared_file2, BitBtn3);

    QGroupBox* operations = make_group("GroupBox_compare_operations", "Операции", TabSheet_compare);
    operations->setFixedHeight(63);
    BitBtn5 = new QPushButton("Сравнить", operations);
    BitBtn5->setObjectName("BitBtn5");
    auto* operations_layout = new QHBoxLayout(operations);
    set_low_group_margins(operations_layout);
    operations_layout->addWidget(BitBtn5);
    operations_layout->addStretch();
    tab_layout->addWidget(operations);

    GroupBox_state = make_group("GroupBox_state", "Состояние", TabSheet_compare);
    GroupBox_state->setStatusTip("Информация о состоянии");
    RichEdit_compare = new QTextEdit(GroupBox_state);
    RichEdit_compare->setObjectName("RichEdit_compare");
    RichEdit_compare->setReadOnly(true);
    RichEdit_compare->setAcceptRichText(false);
    RichEdit_compare->setFrameShape(QFrame::NoFrame);
    RichEdit_compare->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit_compare->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit_compare->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit_compare->setFocusPolicy(Qt::NoFocus);
    auto* state_layout = new QVBoxLayout(GroupBox_state);
    state_layout->addWidget(RichEdit_compare);
    tab_layout->addWidget(GroupBox_state, 1);

    connect(BitBtn4, &QPushButton::clicked, this, &Tform_main::BitBtn4Click);
    connect(BitBtn3, &QPushButton::clicked, this, &Tform_main::BitBtn3Click);
    connect(BitBtn5, &QPushButton::clicked, this, &Tform_main::BitBtn5Click);
}

void Tform_main::FormCreate() {
    start_program(log);
}

void Tform_main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_once) {
        shown_once = true;
        run_handler([this] { FormShow(); });
    }
}

void Tform_main::FormShow() {
    load_settings();
    commands.forget_card();
    cb_port_listChange();
    Label_err_info->setText(no_card_info_text);
}

void Tform_main::closeEvent(QCloseEvent* event) {
    if (card_command_running()) {
        // Closing now would power the card off under the running command.
        event->ignore();
        show_busy_message();
        return;
    }
    run_handler([this] { FormClose(); });
    event->accept();
}

void Tform_main::FormClose() {
    save_settings();
}

void Tform_main::load_settings() {
    hini.set_section("MAIN");
    hini.set_file_name(settings_file_name());
    Edit_data_dir_name->setText(
        QString::fromStdString(hini.read_str("", "data_file_dir_name", get_program_dir())));
    CheckBox_to_days->setChecked(hini.read_bool("", "CheckBox_to_days", true));
    cb_port_list->setCurrentIndex(
        hini.read_int("", "cb_port_list", 0, 0, cb_port_list->count() - 1));
    t_qt_form_geometry geometry(*this);
    hini.load_form_placement(geometry, placement_position | placement_size, "",
                             current_screen_sizes());
    std::string unused;
    PageControl_main->setTabVisible(PageControl_main->indexOf(TabSheet_compare),
                                    get_command_line_parametr("-SHOW_COMPARE1", unused, ""));
    PageControl_main->setCurrentWidget(TabSheet1);
    settings_loaded = true;
}

void Tform_main::save_settings() {
    // A window that never read the settings would store its design-time texts over them.
    if (!settings_loaded) {
        return;
    }
    hini.write_str("", "data_file_dir_name", Edit_data_dir_name->text().toStdString());
    hini.write_bool("", "CheckBox_to_days", CheckBox_to_days->isChecked());
    hini.write_int("", "cb_port_list", cb_port_list->currentIndex());
    const t_qt_form_geometry geometry(*this);
    hini.save_form_placement(geometry, placement_position | placement_size, "");
}

void Tform_main::cb_port_listChange() {
    run_handler([this] {
        if (card_command_running()) {
            // A read lets the window work: switching the port now would put the display into
            // the waiting state under the running read. The list shows the port in use again.
            cb_port_list->setCurrentIndex(card_port_entry_index(commands.get_port_address()));
            show_busy_message();
            return;
        }
        commands.set_port_entry(cb_port_list->currentIndex());
        show_waiting_state();
    });
}

void Tform_main::show_waiting_state() {
    ListBox_devs->hide();
    btn_read_dev->setEnabled(false);
    btn_del_dev_from_card->setEnabled(false);
    set_text_colour(Label_status, QColor(255, 0, 0));
    Label_status->setText(waiting_text);
}

void Tform_main::show_card_listed_state(const std::vector<std::string>& lines) {
    ListBox_devs->clear();
    for (const std::string& line : lines) {
        ListBox_devs->addItem(QString::fromStdString(line));
    }
    if (ListBox_devs->count() > 0) {
        ListBox_devs->setCurrentRow(0);
    }
    ListBox_devs->show();
    btn_read_dev->setEnabled(true);
    btn_del_dev_from_card->setEnabled(true);
    set_text_colour(Label_status, QColor(0, 128, 0));
    Label_status->setText(working_text);
}

void Tform_main::clear_device_list() {
    ListBox_devs->clear();
}

void Tform_main::hide_device_list() {
    ListBox_devs->hide();
}

int Tform_main::selected_device_line() const {
    return ListBox_devs->currentRow();
}

void Tform_main::select_port_entry(int index) {
    cb_port_list->setCurrentIndex(index);
}

void Tform_main::set_main_window_enabled(bool enabled) {
    setEnabled(enabled);
}

std::unique_ptr<t_card_progress_list> Tform_main::make_progress_list() {
    return std::make_unique<t_qt_card_progress_list>();
}

std::string Tform_main::data_dir_text() const {
    return Edit_data_dir_name->text().toStdString();
}

bool Tform_main::convert_to_days() const {
    return CheckBox_to_days->isChecked();
}

bool Tform_main::choose_save_path(const std::string& folder, const std::string& proposed,
                                  std::string& chosen) {
    return select_save_file_name(folder, proposed, chosen);
}

bool Tform_main::select_save_file_name(const std::string& folder, const std::string& proposed,
                                       std::string& chosen) {
    QFileDialog dialog(this, "Имя файла для сохранения...");
    dialog.setObjectName("SaveDialog_from_card");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("*.z7m");
    dialog.setDefaultSuffix("z7m");
    dialog.setDirectory(QString::fromStdString(folder));
    dialog.selectFile(QString::fromStdString(proposed));
    if (run_modal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    chosen = QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
    return true;
}

void Tform_main::Action_select_data_dirExecute() {
    run_handler([this] {
        std::string dir = Edit_data_dir_name->text().toStdString();
        if (!select_dir("Выберите каталог для сохранения файлов данных", "..", dir)) {
            return;
        }
        if (check_dir(dir, true)) {
            Edit_data_dir_name->setText(QString::fromStdString(dir));
        } else {
            hlog->dialog_error("Ошибка создания каталога: " + dir, "Ошибка!");
        }
    });
}

void Tform_main::Action_close_appExecute() {
    close();
}

void Tform_main::Action_get_aboutExecute() {
    run_handler([] {
        th_about_box about_box;
        about_box.create_box();
        about_box.title_text = about_title_text;
        about_box.developers_text = about_developers_text;
        about_box.show_box();
    });
}

void Tform_main::set_port_backend(std::unique_ptr<t_port_backend> backend) {
    if (card_command_running()) {
        raise_program_error("Tform_main::set_port_backend", __FILE__,
                            "Нельзя сменить способ доступа к порту во время работы с картой!");
    }
    commands.card_drv.set_backend(std::move(backend));
}

void Tform_main::set_card_command_runner(t_card_command_runner runner) {
    card_command_runner = std::move(runner);
}

bool Tform_main::card_command_running() const {
    return card_command_active || commands.is_busy();
}

void Tform_main::run_card_command(t_card_command command) {
    run_handler([this, command] {
        // A click processed while a long command lets the window work must not start a
        // second card command: it would switch the card off under the first.
        if (card_command_running()) {
            show_busy_message();
            return;
        }
        struct t_active_guard {
            bool& active;
            ~t_active_guard() { active = false; }
        } guard{card_command_active};
        card_command_active = true;
        if (card_command_runner) {
            card_command_runner(command);
        } else {
            run_default_card_command(command);
        }
    });
}

void Tform_main::run_default_card_command(t_card_command command) {
    switch (command) {
        case t_card_command::scan_for_card:
            commands.scan_for_card();
            break;
        case t_card_command::read_title:
            commands.read_title();
            break;
        case t_card_command::read_dev:
            commands.read_dev();
            break;
        case t_card_command::delete_dev:
            commands.delete_dev();
            break;
        case t_card_command::clear_card:
            commands.clear_card();
            break;
    }
}

void Tform_main::show_busy_message() {
    sb_main->showMessage(busy_text);
}

void Tform_main::Action_scan_for_cardExecute() {
    run_card_command(t_card_command::scan_for_card);
}

void Tform_main::Action_read_titleExecute() {
    run_card_command(t_card_command::read_title);
}

void Tform_main::Action_read_devExecute() {
    run_card_command(t_card_command::read_dev);
}

void Tform_main::Action_delete_devExecute() {
    run_card_command(t_card_command::delete_dev);
}

void Tform_main::Action_clear_cardExecute() {
    run_card_command(t_card_command::clear_card);
}

void Tform_main::choose_compared_file(QLineEdit* edit) {
    QFileDialog dialog(this);
    dialog.setObjectName("OpenDialog_compare");
    dialog.setDirectory(Edit_data_dir_name->text());
    if (run_modal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    edit->setText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

void Tform_main::BitBtn4Click() {
    run_handler([this] { choose_compared_file(Edit_compared_file1); });
}

void Tform_main::BitBtn3Click() {
    run_handler([this] { choose_compared_file(Edit_compared_file2); });
}

void Tform_main::BitBtn5Click() {
    run_handler([this] {
        RichEdit_compare->clear();
        const std::string file1 = Edit_compared_file1->text().toStdString();
        const std::string file2 = Edit_compared_file2->text().toStdString();
        const t_compare_result result = compare_data_files(file1, file2);
        if (result.unloadable_file != 0) {
            hlog->dialog_error(
                "Ошибка загрузки файла: " + (result.unloadable_file == 1 ? file1 : file2),
                "Ошибка!");
            return;
        }
        const QColor normal = RichEdit_compare->palette().color(QPalette::Text);
        for (const t_compare_line& line : result.lines) {
            add_color_line(RichEdit_compare, line.text,
                           line.colour == t_compare_colour::red ? QColor(255, 0, 0) : normal);
        }
    });
}
