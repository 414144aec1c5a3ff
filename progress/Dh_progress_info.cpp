#include "progress/Dh_progress_info.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "common/hunits/U_base_classes.h"
#include "common/hunits/uhFuncs_qt.h"
#include "progress/Dh_work_control.h"

namespace {

constexpr int row_height = 16;

// Hands the drawing of every row of lb_main to the form.
class t_progress_row_delegate : public QStyledItemDelegate {
  public:
    explicit t_progress_row_delegate(Tform_progress_info* form)
        : QStyledItemDelegate(form), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        form_->lb_mainDrawItem(*painter, index.row(), option.rect,
                               option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), row_height};
    }

  private:
    Tform_progress_info* form_;
};

// A red cross; the toolkit derives the greyed image of the disabled button from it.
QIcon stop_icon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(220, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(3, 3, 12, 12);
    painter.drawLine(12, 3, 3, 12);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

std::string progress_state_text(uint8_t state) {
    switch (state) {
        case 0:
            return "Ожидание";
        case 1:
            return "Выполнение";
        case 2:
            return "Выполнено";
        default:
            return "Ошибка";
    }
}

Tform_progress_info::Tform_progress_info(th_progress_info* progress_info)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), progress_info(progress_info) {
    setObjectName("form_progress_info");
    setWindowTitle("Работа...");
    QFont form_font("MS Sans Serif");
    form_font.setPixelSize(11);
    setFont(form_font);
    setFixedSize(542, 299);
    QPalette form_palette = palette();
    form_palette.setColor(QPalette::Window, QColor(192, 220, 192));
    setPalette(form_palette);
    setAutoFillBackground(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    QPalette grey = Panel1->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    Panel1->setPalette(grey);
    Panel1->setAutoFillBackground(true);
    auto* form_layout = new QVBoxLayout(this);
    form_layout->setContentsMargins(0, 0, 0, 0);
    form_layout->addWidget(Panel1);

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::NoFrame);
    QPalette panel2_palette = Panel2->palette();
    panel2_palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    Panel2->setPalette(panel2_palette);
    Panel2->setAutoFillBackground(true);
    auto* panel1_layout = new QVBoxLayout(Panel1);
    panel1_layout->setContentsMargins(5, 5, 5, 5);
    panel1_layout->addWidget(Panel2);
    auto* panel2_layout = new QVBoxLayout(Panel2);
    panel2_layout->setContentsMargins(1, 1, 1, 1);
    panel2_layout->setSpacing(0);

    GroupBox1 = new QGroupBox("Список действий", Panel2);
    GroupBox1->setObjectName("GroupBox1");
    auto* group1_layout = new QVBoxLayout(GroupBox1);
    group1_layout->setContentsMargins(2, 2, 2, 2);
    group1_layout->setSpacing(0);

    header_model = new QStandardItemModel(0, 3, this);
    header_model->setHorizontalHeaderLabels({"№", "Действие", "Состояние"});
    hd_main = new QHeaderView(Qt::Horizontal, GroupBox1);
    hd_main->setObjectName("hd_main");
    hd_main->setModel(header_model);
    hd_main->setSectionsClickable(false);
    hd_main->setSectionsMovable(false);
    hd_main->setHighlightSections(false);
    hd_main->setDefaultAlignment(Qt::AlignCenter);
    hd_main->setSectionResizeMode(QHeaderView::Fixed);
    hd_main->setStretchLastSection(false);
    hd_main->resizeSection(0, 40);
    hd_main->resizeSection(1, 350);
    hd_main->resizeSection(2, 150);
    hd_main->setFixedHeight(17);
    group1_layout->addWidget(hd_main);

    lb_main = new QListWidget(GroupBox1);
    lb_main->setObjectName("lb_main");
    lb_main->setFrameShape(QFrame::NoFrame);
    lb_main->setFocusPolicy(Qt::NoFocus);
    lb_main->setUniformItemSizes(true);
    lb_main->setItemDelegate(new t_progress_row_delegate(this));
    QPalette list_palette = lb_main->palette();
    const QColor parent_colour = GroupBox1->palette().color(QPalette::Window);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        list_palette.setColor(group, QPalette::Base, parent_colour);
    }
    lb_main->setPalette(list_palette);
    lb_main->setEnabled(false);
    group1_layout->addWidget(lb_main);
    panel2_layout->addWidget(GroupBox1);

    Panel3 = new QWidget(Panel2);
    Panel3->setObjectName("Panel3");
    Panel3->setFixedHeight(74);
    auto* panel3_layout = new QVBoxLayout(Panel3);
    panel3_layout->setContentsMargins(0, 0, 0, 0);
    panel3_layout->setSpacing(5);
    GroupBox2 = new QGroupBox("Текущее действие", Panel3);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setFixedHeight(35);
    auto* group2_layout = new QVBoxLayout(GroupBox2);
    group2_layout->setContentsMargins(4, 0, 4, 2);
    progress_bar_current_action = new QProgressBar(GroupBox2);
    progress_bar_current_action->setObjectName("progress_bar_current_action");
    progress_bar_current_action->setTextVisible(false);
    group2_layout->addWidget(progress_bar_current_action);
    panel3_layout->addWidget(GroupBox2);

    btn_stop = new QPushButton(stop_icon(), "Прервать", Panel3);
    btn_stop->setObjectName("btn_stop");
    btn_stop->setFixedSize(150, 25);
    btn_stop->setDefault(true);
    auto* button_row = new QHBoxLayout;
    button_row->setContentsMargins(0, 0, 0, 0);
    button_row->addSpacing(200);
    button_row->addWidget(btn_stop);
    button_row->addStretch();
    panel3_layout->addLayout(button_row);
    panel3_layout->addStretch();
    panel2_layout->addWidget(Panel3);

    connect(btn_stop, &QPushButton::clicked, this, &Tform_progress_info::btn_stopClick);
}

void Tform_progress_info::lb_mainDrawItem(QPainter& painter, int index, const QRect& rect,
                                          bool selected) {
    painter.save();
    QFont row_font = lb_main->font();
    QColor brush = lb_main->palette().color(QPalette::Active, QPalette::Base);
    QColor text_colour = lb_main->palette().color(QPalette::Active, QPalette::Text);
    if (selected) {
        brush = QColor(0, 0, 255);
        row_font.setBold(true);
        text_colour = QColor(255, 255, 255);
    }
    painter.fillRect(rect, brush);
    painter.setFont(row_font);
    painter.setPen(text_colour);

    const int name_x = hd_main->sectionSize(0);
    const int state_x = name_x + hd_main->sectionSize(1);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(QRect(rect.left() + 2, rect.top(), name_x - 2, rect.height()), flags,
                     QString::number(index + 1));
    if (progress_info != nullptr && index >= 0 &&
        index < static_cast<int>(progress_info->table.size())) {
        const t_progress_info_record& record = progress_info->table[index];
        painter.drawText(QRect(rect.left() + name_x, rect.top(), state_x - name_x, rect.height()),
                         flags, QString::fromStdString(record.name));
        painter.drawText(QRect(rect.left() + state_x, rect.top(),
                               std::max(0, rect.width() - state_x), rect.height()),
                         flags, QString::fromStdString(progress_state_text(record.state)));
    }
    painter.restore();
}

void Tform_progress_info::btn_stopClick() {
    request_user_break();
}

void Tform_progress_info::closeEvent(QCloseEvent* event) {
    if (can_close) {
        event->accept();
    } else {
        event->ignore();
    }
}

void Tform_progress_info::keyPressEvent(QKeyEvent* event) {
    // "Прервать" is both the default and the cancel button of the window.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            btn_stop->click();
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

bool Tform_progress_info::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowDeactivate) {
        FormDeactivate();
    }
    return handled;
}

void Tform_progress_info::FormDeactivate() {
    // A message box shown while the operation runs must keep the focus it was given.
    if (isVisible() && QApplication::activeModalWidget() == nullptr) {
        raise();
        activateWindow();
    }
}

th_progress_info::th_progress_info() : form(nullptr) {
    form = new Tform_progress_info(this);
}

th_progress_info::~th_progress_info() {
    delete form;
}

void th_progress_info::add_action(const std::string& name, uint8_t state, int32_t max_position,
                                  int32_t param) {
    table.push_back({name, std::string(), state, max_position, param});
    current = 0;
}

void th_progress_info::show() {
    form->lb_main->clear();
    for (size_t i = 0; i < table.size(); ++i) {
        form->lb_main->addItem(QString::number(i));
    }
    set_current_action(current);
    form->can_close = false;
    if (QWidget* owner = application_main_window()) {
        form->move(owner->frameGeometry().center() - form->rect().center());
    }
    form->show();
    form->raise();
    form->activateWindow();
    form->btn_stop->setFocus();
    process_messages();
    enable_work();
}

void th_progress_info::hide() {
    form->can_close = true;
    form->hide();
}

void th_progress_info::set_current_action(int32_t index) {
    test_parametrs(index);
    current = index;
    set_position(0);
    set_max_position(table[index].max_position);
    form->lb_main->setCurrentRow(index);
    form->lb_main->repaint();
    process_messages();
}

void th_progress_info::set_position(int32_t value) {
    form->progress_bar_current_action->setValue(value);
    process_messages();
}

void th_progress_info::set_max_position(int32_t value) {
    if (current >= 0 && current < static_cast<int32_t>(table.size())) {
        table[current].max_position = value;
    }
    form->progress_bar_current_action->setMaximum(value);
    process_messages();
}

QProgressBar* th_progress_info::get_progress_bar() {
    return form->progress_bar_current_action;
}

void th_progress_info::test_parametrs(int32_t index) const {
    if (index < 0 || index >= static_cast<int32_t>(table.size())) {
        throw Exception("th_progress_info::test_parametrs!");
    }
}
