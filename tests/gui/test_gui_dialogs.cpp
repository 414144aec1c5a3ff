#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <memory>

#include "app/qt_adapters.h"
#include "common/hunits/U_base_classes.h"
#include "common/hunits/f_about_box.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhFuncs_qt.h"
#include "gui_test_env.h"

Q_DECLARE_METATYPE(t_dialog_kind)

class test_gui_dialogs : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(install_russian_translations()); }
    void init() { env = std::make_unique<t_gui_test_env>(); }
    void cleanup() { env.reset(); }

    void message_box_per_kind_data();
    void message_box_per_kind();
    void coloured_lines_keep_their_own_colour();
    void select_dir_data();
    void select_dir();
    void about_box_texts();
    void about_box_closes_data();
    void about_box_closes();
    void about_box_created_twice_is_a_program_error();

  private:
    std::unique_ptr<t_gui_test_env> env;
};

void test_gui_dialogs::message_box_per_kind_data() {
    QTest::addColumn<t_dialog_kind>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<bool>("result");
    const int ok = QMessageBox::Ok;
    const int yes_no = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("error") << t_dialog_kind::error << int(QMessageBox::Critical) << ok << ok
                           << false;
    QTest::newRow("warning") << t_dialog_kind::warning << int(QMessageBox::Warning) << ok << ok
                             << false;
    QTest::newRow("information") << t_dialog_kind::info << int(QMessageBox::Information) << ok << ok
                                 << false;
    QTest::newRow("question, yes") << t_dialog_kind::yes_no << int(QMessageBox::Question) << yes_no
                                   << int(QMessageBox::Yes) << true;
    QTest::newRow("question, no") << t_dialog_kind::yes_no << int(QMessageBox::Question) << yes_no
                                  << int(QMessageBox::No) << false;
    QTest::newRow("question, closed") << t_dialog_kind::yes_no << int(QMessageBox::Question)
                                      << yes_no << int(QDialog::Rejected) << false;
}

void test_gui_dialogs::message_box_per_kind() {
    QFETCH(t_dialog_kind, kind);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, pressed);
    QFETCH(bool, result);
    const std::string text = "Ошибка загрузки файла: <b>a&b</b>\nвторая строка";
    QString seen_text, seen_title, yes_text;
    int seen_icon = -1, seen_buttons = -1, seen_format = -1;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        seen_text = box.text();
        seen_title = box.windowTitle();
        seen_icon = box.icon();
        seen_buttons = box.standardButtons();
        seen_format = box.textFormat();
        if (QAbstractButton* yes = box.button(QMessageBox::Yes)) {
            yes_text = yes->text().remove('&');
        }
        return pressed;
    });
    t_qt_dialog_presenter presenter;
    QCOMPARE(presenter.show_dialog(kind, text, "Ошибка!"), result);
    QCOMPARE(seen_text, QString::fromStdString(text));
    QCOMPARE(seen_format, int(Qt::PlainText));
    QCOMPARE(seen_title, QString("Ошибка!"));
    QCOMPARE(seen_icon, icon);
    QCOMPARE(seen_buttons, buttons);
    if (kind == t_dialog_kind::yes_no) {
        QCOMPARE(yes_text, QString("Да"));  // the toolkit's Russian texts are loaded
    }
}

void test_gui_dialogs::coloured_lines_keep_their_own_colour() {
    QTextEdit edit;
    QFont font = edit.font();
    font.setPixelSize(17);
    font.setItalic(true);
    edit.setFont(font);
    const QColor normal = edit.palette().color(QPalette::Text);
    const QColor red(255, 0, 0);
    add_color_line(&edit, "Сравнение заголовков", normal);
    add_color_line(&edit, "Ошибка сравнения!", red);
    add_color_line(&edit, "Сравнение архивов", normal);
    add_color_line(&edit, "Ошибка: разное кол-во записей в архивах!", red);

    const QTextDocument* doc = edit.document();
    QCOMPARE(doc->blockCount(), 4);
    const QColor expected[] = {normal, red, normal, red};
    const QString texts[] = {"Сравнение заголовков", "Ошибка сравнения!", "Сравнение архивов",
                             "Ошибка: разное кол-во записей в архивах!"};
    int i = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next(), ++i) {
        QCOMPARE(block.text(), texts[i]);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QCOMPARE(format.foreground().color(), expected[i]);
            QVERIFY(!format.hasProperty(QTextFormat::FontPixelSize));
            QVERIFY(!format.hasProperty(QTextFormat::FontItalic));
        }
    }
    QCOMPARE(edit.toPlainText(), QStringList(std::begin(texts), std::end(texts)).join('\n'));
}

void test_gui_dialogs::select_dir_data() {
    QTest::addColumn<bool>("start_exists");
    QTest::addColumn<bool>("accept");
    QTest::newRow("chosen, start folder exists") << true << true;
    QTest::newRow("chosen, start folder missing") << false << true;
    QTest::newRow("cancelled") << true << false;
}

void test_gui_dialogs::select_dir() {
    QFETCH(bool, start_exists);
    QFETCH(bool, accept);
    const std::string start = env->path(start_exists ? "" : "missing");
    const std::string chosen = env->path("chosen");
    QVERIFY(QDir().mkpath(QString::fromStdString(chosen)));
    QString seen_caption, seen_dir;
    bool dirs_only = false;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        seen_caption = files.windowTitle();
        seen_dir = files.directory().absolutePath();
        dirs_only = files.fileMode() == QFileDialog::Directory &&
                    files.testOption(QFileDialog::ShowDirsOnly);
        if (!accept) {
            return int(QDialog::Rejected);
        }
        files.selectFile(QString::fromStdString(chosen));
        return int(QDialog::Accepted);
    });
    std::string dir = start;
    QCOMPARE(::select_dir("Выберите каталог для сохранения файлов данных", "..", dir), accept);
    QCOMPARE(seen_caption, QString("Выберите каталог для сохранения файлов данных"));
    QVERIFY(dirs_only);
    if (start_exists) {
        QCOMPARE(QDir(seen_dir), QDir(QString::fromStdString(start)));
    }
    QCOMPARE(dir, accept ? chosen : start);
}

void test_gui_dialogs::about_box_texts() {
    for (int opening = 0; opening < 2; ++opening) {
        th_about_box box;
        QVERIFY(!box.is_created);
        box.create_box();
        box.title_text = "Программа работы с ПУ типа ZOR-73";
        box.developers_text = "Первая строка\nВторая строка";
        Tform_tavok_about_box* form = box.about_form;
        bool shown_filled = false;
        env->modal.steps.push_back([&](QDialog& dialog) {
            // What the user sees while the box is up.
            shown_filled = &dialog == form && form->lab_version->text() == "Версия: 1.0.0.12" &&
                           form->lab_unit_title->text() == "Программа работы с ПУ типа ZOR-73";
            return int(QDialog::Accepted);
        });
        box.show_box();
        QVERIFY(shown_filled);
        QCOMPARE(form->windowTitle(), QString("О программе..."));
        QCOMPARE(form->lab_build_date->text().toStdString(), build_str());
        QVERIFY(form->lab_build_date->text().startsWith("Сборка: "));
        QCOMPARE(form->memo_autors->toPlainText(), QString("Первая строка\nВторая строка"));
        QCOMPARE(form->memo_autors->document()->blockCount(), 2);
        QVERIFY(form->memo_autors->isReadOnly());
        QCOMPARE(form->BitBtn1->text(), QString("ОКи"));
        QVERIFY(form->BitBtn1->isDefault());
        QCOMPARE(form->GroupBox1->title(), QString("Информация о версии программы:"));
        QCOMPARE(form->GroupBox2->title(), QString("Информация о разработчиках:"));
        QCOMPARE(form->size(), QSize(492, 238));
        QCOMPARE(form->minimumSize(), form->maximumSize());  // not resizable
        QCOMPARE(env->modal.run_names,
                 std::vector<std::string>(opening + 1, "form_tavok_about_box"));
        QPointer<Tform_tavok_about_box> watched = box.about_form;
        box.destroy_box();
        QVERIFY(watched.isNull());
        QVERIFY(!box.is_created);
    }
}

void test_gui_dialogs::about_box_closes_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("button") << "button";
    QTest::newRow("close box") << "close";
}

void test_gui_dialogs::about_box_closes() {
    QFETCH(QString, how);
    th_about_box box;
    box.create_box();
    bool closed = false;
    int result = -1;
    env->modal.steps.push_back([&](QDialog& dialog) {
        auto& form = dynamic_cast<Tform_tavok_about_box&>(dialog);
        form.setResult(-1);
        form.show();
        if (how == "enter") {
            QTest::keyClick(&form, Qt::Key_Enter);
        } else if (how == "escape") {
            QTest::keyClick(&form, Qt::Key_Escape);
        } else if (how == "button") {
            QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
        } else {
            form.close();
        }
        closed = !form.isVisible();  // a modal loop ends when its dialog is hidden
        result = form.result();
        return result;
    });
    box.show_box();
    QVERIFY(closed);
    if (how != "close") {
        QCOMPARE(result, int(QDialog::Accepted));
    }
}

void test_gui_dialogs::about_box_created_twice_is_a_program_error() {
    th_about_box box;
    box.create_box();
    Tform_tavok_about_box* first = box.about_form;
    try {
        box.create_box();
        QFAIL("no exception");
    } catch (const Exception& e) {
        const std::string module = std::string(SOURCE_DIR) + "/common/hunits/f_about_box.cpp";
        QCOMPARE(std::string(e.what()),
                 make_program_error_text("th_about_box::create_box", module, "Окно уже создано!"));
    }
    QCOMPARE(box.about_form.data(), first);  // the first form is kept
}

QTEST_MAIN(test_gui_dialogs)
#include "test_gui_dialogs.moc"
