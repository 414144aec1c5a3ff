// The about box: product line, version, build stamp and the developers, in a small modal
// dialog that a controller creates, fills, shows and destroys for each opening.
#pragma once

#include <QDialog>
#include <QPointer>

#include <string>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

class Tform_tavok_about_box : public QDialog {
    Q_OBJECT

  public:
    explicit Tform_tavok_about_box(QWidget* parent);

    QGroupBox* GroupBox3;
    QLabel* lab_unit_title;
    QGroupBox* GroupBox1;
    QLabel* lab_version;
    QLabel* lab_build_date;
    QGroupBox* GroupBox2;
    QPlainTextEdit* memo_autors;
    QWidget* Panel1;
    QPushButton* BitBtn1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class th_about_box {
  public:
    th_about_box() = default;
    ~th_about_box();
    th_about_box(const th_about_box&) = delete;
    th_about_box& operator=(const th_about_box&) = delete;

    bool is_created = false;
    QPointer<Tform_tavok_about_box> about_form;
    std::string developers_text;
    std::string title_text;

    // Creates the form; raises the program-error report when it exists already.
    void create_box();
    // Fills the form and shows it modally; returns when the user has closed it.
    void show_box();
    void destroy_box();
};
