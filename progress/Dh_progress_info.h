// The progress window of long card operations: the list of the operation's steps with
// their states, a bar for the current step and the stop button "Прервать", which clears
// the stop flag (Dh_work_control.h) that the running operation tests.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QFrame;
class QGroupBox;
class QHeaderView;
class QListWidget;
class QPainter;
class QProgressBar;
class QPushButton;
class QStandardItemModel;

// One step of the operation.
struct t_progress_info_record {
    std::string name;
    std::string comment;
    uint8_t state = 0;  // 0 waiting, 1 running, 2 done, other values: error
    int32_t max_position = 0;
    int32_t param = 0;
};

// The steps in the order they were added; the row of a step in the window is its index.
using t_progress_info_table = std::vector<t_progress_info_record>;

// "Ожидание", "Выполнение", "Выполнено" or "Ошибка".
std::string progress_state_text(uint8_t state);

class th_progress_info;

// Frameless window listing the steps. It cannot be closed while its operation runs and
// keeps the focus while it is shown.
class Tform_progress_info : public QWidget {
    Q_OBJECT

  public:
    explicit Tform_progress_info(th_progress_info* progress_info);

    th_progress_info* progress_info;
    bool can_close = true;

    QFrame* Panel1;
    QFrame* Panel2;
    QGroupBox* GroupBox1;
    QHeaderView* hd_main;
    QListWidget* lb_main;
    QWidget* Panel3;
    QGroupBox* GroupBox2;
    QProgressBar* progress_bar_current_action;
    QPushButton* btn_stop;

    // Draws row `index` of lb_main into `rect`; `selected` marks the current step.
    void lb_mainDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void btn_stopClick();
    void FormDeactivate();

    QStandardItemModel* header_model;
};

// The controller that a long operation drives: it owns the steps and the window.
class th_progress_info {
  public:
    th_progress_info();
    ~th_progress_info();
    th_progress_info(const th_progress_info&) = delete;
    th_progress_info& operator=(const th_progress_info&) = delete;

    Tform_progress_info* form;
    t_progress_info_table table;
    int32_t current = 0;

    // Appends a step; the first step becomes the current one again.
    void add_action(const std::string& name, uint8_t state, int32_t max_position, int32_t param);
    // Lists the steps, shows the window with the focus, and enables the work.
    void show();
    // Hides the window and lets it be closed again; the stop flag stays as it is.
    void hide();
    void set_current_action(int32_t index);
    // These three process pending window messages, so the stop button is noticed.
    void set_position(int32_t value);
    void set_max_position(int32_t value);

    QProgressBar* get_progress_bar();
    // Raises Exception when `index` is not the index of a step.
    void test_parametrs(int32_t index) const;
};
