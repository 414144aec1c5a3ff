// The main window: data folder, port choice, device list and card commands on the first
// tab, the comparison of two data files on the second; settings restored when it is first
// shown and stored when it closes.
#pragma once

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/U_card_commands.h"
#include "app/card_commands_view.h"
#include "common/hunits/uhlog.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTextEdit;

// The window is the card commands' view: the commands (t_card_commands) do the card work
// and tell the window what to show.
class Tform_main : public QMainWindow, public t_card_commands_view {
    Q_OBJECT

  public:
    // `log` becomes the program's log (hlog) when the window is created. Until
    // set_port_backend, every card command fails to open the port with a message.
    explicit Tform_main(t_hlog& log);
    ~Tform_main() override;

    // The port access that the card commands use (chosen at start-up, before the window is
    // shown); refused while a card command runs.
    void set_port_backend(std::unique_ptr<t_port_backend> backend);

    // The card commands of the buttons "Поиск карты", "Обновить список", "Считать",
    // "Удалить" and "Очистить".
    enum class t_card_command { scan_for_card, read_title, read_dev, delete_dev, clear_card };
    using t_card_command_runner = std::function<void(t_card_command)>;
    // Replaces what runs the card commands (by default the window's t_card_commands); an
    // empty function restores the default. While one runs, no other starts, the port choice
    // is refused and the window does not close.
    void set_card_command_runner(t_card_command_runner runner);
    bool card_command_running() const;

    // --- t_card_commands_view ---
    // Waiting: list hidden (Label_err_info shows), read and delete disabled, red "Ожидание".
    void show_waiting_state() override;
    // Card listed: the lines, the first selected, read and delete enabled, green "Работа".
    void show_card_listed_state(const std::vector<std::string>& lines) override;
    void clear_device_list() override;
    void hide_device_list() override;
    // Index of the selected device line, -1 when none.
    int selected_device_line() const override;
    // Selects port entry `index` without running the port choice.
    void select_port_entry(int index) override;
    // The whole window; the progress window has no parent and stays usable.
    void set_main_window_enabled(bool enabled) override;
    std::unique_ptr<t_card_progress_list> make_progress_list() override;
    std::string data_dir_text() const override;
    bool convert_to_days() const override;
    bool choose_save_path(const std::string& folder, const std::string& proposed,
                          std::string& chosen) override;

    // The save dialog of a read: starts in `folder` with the proposed file; false when the
    // user cancels.
    bool select_save_file_name(const std::string& folder, const std::string& proposed,
                               std::string& chosen);

    // Base address of the chosen port (e.g. 0x378).
    int32_t port_address() const { return static_cast<int32_t>(commands.get_port_address()); }

    // The card commands with the card-access object, the card directory, the
    // identification flag and the port address.
    t_card_commands commands;

    QAction* Action_scan_for_card;
    QAction* Action_read_title;
    QAction* Action_read_dev;
    QAction* Action_delete_dev;
    QAction* Action_clear_card;
    QAction* Action_select_data_dir;
    QAction* Action_close_app;
    QAction* Action_get_about;
    QMenu* N_files;
    QMenu* N_info;
    QStatusBar* sb_main;
    QTabWidget* PageControl_main;

    QWidget* TabSheet1;
    QGroupBox* GroupBox_data_dir;
    QLineEdit* Edit_data_dir_name;
    QPushButton* BitBtn6;
    QGroupBox* GroupBox_port;
    QComboBox* cb_port_list;
    QLabel* Label_status;
    QPushButton* btn_scan_ports;
    QGroupBox* GroupBox_devs;
    QListWidget* ListBox_devs;
    QLabel* Label_err_info;
    QGroupBox* GroupBox_operations;
    QPushButton* BitBtn2;
    QPushButton* btn_read_dev;
    QPushButton* btn_del_dev_from_card;
    QPushButton* btn_clear_card;
    QCheckBox* CheckBox_to_days;

    QWidget* TabSheet_compare;
    QLineEdit* Edit_compared_file1;
    QPushButton* BitBtn4;
    QLineEdit* Edit_compared_file2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn5;
    QGroupBox* GroupBox_state;
    QTextEdit* RichEdit_compare;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void create_actions();
    void create_card_tab();
    void create_compare_tab();

    void FormCreate();
    void FormShow();
    void FormClose();
    void load_settings();
    void save_settings();

    void cb_port_listChange();
    void Action_select_data_dirExecute();
    void Action_close_appExecute();
    void Action_get_aboutExecute();
    void Action_scan_for_cardExecute();
    void Action_read_titleExecute();
    void Action_read_devExecute();
    void Action_delete_devExecute();
    void Action_clear_cardExecute();
    void BitBtn4Click();
    void BitBtn3Click();
    void BitBtn5Click();

    void run_card_command(t_card_command command);
    void run_default_card_command(t_card_command command);
    void choose_compared_file(QLineEdit* edit);
    void show_busy_message();

    t_hlog& log;
    bool shown_once = false;
    bool settings_loaded = false;
    bool card_command_active = false;
    t_card_command_runner card_command_runner;
};
