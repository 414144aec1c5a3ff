#include "common/hunits/f_about_box.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/hunits/U_base_classes.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhFuncs_qt.h"
#include "common/hunits/uhqt_modal.h"

Tform_tavok_about_box::Tform_tavok_about_box(QWidget* parent) : QDialog(parent) {
    setObjectName("form_tavok_about_box");
    setWindowTitle("О программе...");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont form_font("MS Sans Serif");
    form_font.setPixelSize(11);
    setFont(form_font);
    setFixedSize(492, 238);

    auto* form_layout = new QVBoxLayout(this);
    form_layout->setContentsMargins(0, 0, 0, 0);
    form_layout->setSpacing(0);

    GroupBox3 = new QGroupBox(this);
    GroupBox3->setObjectName("GroupBox3");
    GroupBox3->setFixedHeight(57);
    lab_unit_title = new QLabel("lab_unit_title", GroupBox3);
    lab_unit_title->setObjectName("lab_unit_title");
    QFont title_font = lab_unit_title->font();
    title_font.setBold(true);
    lab_unit_title->setFont(title_font);
    lab_unit_title->setAlignment(Qt::AlignCenter);
    lab_unit_title->setWordWrap(true);
    auto* group3_layout = new QVBoxLayout(GroupBox3);
    group3_layout->setContentsMargins(4, 4, 4, 4);
    group3_layout->addWidget(lab_unit_title);
    form_layout->addWidget(GroupBox3);

    GroupBox1 = new QGroupBox("Информация о версии программы:", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setFixedHeight(49);
    lab_version = new QLabel("lab_version", GroupBox1);
    lab_version->setObjectName("lab_version");
    lab_build_date = new QLabel("lab_build_date", GroupBox1);
    lab_build_date->setObjectName("lab_build_date");
    auto* group1_layout = new QHBoxLayout(GroupBox1);
    group1_layout->setContentsMargins(8, 2, 8, 2);
    group1_layout->addWidget(lab_version);
    group1_layout->addStretch();
    group1_layout->addWidget(lab_build_date);
    form_layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox("Информация о разработчиках:", this);
    GroupBox2->setObjectName("GroupBox2");
    memo_autors = new QPlainTextEdit("memo_autors", GroupBox2);
    memo_autors->setObjectName("memo_autors");
    memo_autors->setReadOnly(true);
    memo_autors->setFocusPolicy(Qt::NoFocus);
    memo_autors->setFrameShape(QFrame::NoFrame);
    QPalette memo_palette = memo_autors->palette();
    memo_palette.setColor(QPalette::Base, GroupBox2->palette().color(QPalette::Window));
    memo_autors->setPalette(memo_palette);
    auto* group2_layout = new QVBoxLayout(GroupBox2);
    group2_layout->setContentsMargins(8, 2, 8, 2);
    group2_layout->addWidget(memo_autors);
    form_layout->addWidget(GroupBox2, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(41);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "ОКи", Panel1);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    auto* panel_layout = new QHBoxLayout(Panel1);
    panel_layout->addStretch();
    panel_layout->addWidget(BitBtn1);
    panel_layout->addStretch();
    form_layout->addWidget(Panel1);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void Tform_tavok_about_box::keyPressEvent(QKeyEvent* event) {
    // "ОКи" is the cancel button too: Escape closes with the same result as the button.
    if (event->key() == Qt::Key_Escape) {
        BitBtn1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

th_about_box::~th_about_box() {
    destroy_box();
}

void th_about_box::create_box() {
    if (is_created) {
        raise_program_error("th_about_box::create_box", __FILE__, "Окно уже создано!");
    }
    about_form = new Tform_tavok_about_box(application_main_window());
    is_created = true;
}

void th_about_box::show_box() {
    about_form->lab_version->setText(QString::fromStdString("Версия: " + get_file_version()));
    about_form->lab_build_date->setText(QString::fromStdString(build_str()));
    about_form->memo_autors->clear();
    about_form->memo_autors->setPlainText(QString::fromStdString(developers_text));
    about_form->lab_unit_title->setText(QString::fromStdString(title_text));
    run_modal(*about_form);
}

void th_about_box::destroy_box() {
    if (is_created) {
        delete about_form.data();
        about_form = nullptr;
        is_created = false;
    }
}
