#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "common/hunits/U_base_classes.h"
#include "gui_test_env.h"
#include "progress/Dh_progress_info.h"
#include "progress/Dh_work_control.h"

class test_progress_info : public QObject {
    Q_OBJECT

  private slots:
    void init() { env = std::make_unique<t_gui_test_env>(); }
    void cleanup() { env.reset(); }

    void current_row_is_white_bold_on_blue();
    void state_texts_data();
    void state_texts();
    void stop_makes_next_delay_raise_data();
    void stop_makes_next_delay_raise();
    void cannot_be_closed_between_show_and_hide();
    void bad_step_index_raises_data();
    void bad_step_index_raises();
    void show_without_steps_raises_before_showing();
    void changed_maximum_is_kept_with_its_step();
    void takes_focus_back_but_not_from_a_message_box();

  private:
    std::unique_ptr<t_gui_test_env> env;
};

namespace {
bool is_blue(QRgb pixel) {
    return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 255;
}
bool is_white(QRgb pixel) {
    return qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255;
}
// Counts the pixels of row `row` (16 pixels high) of `image` that satisfy `test`, between
// x_from and x_to.
template <class F>
int count_in_row(const QImage& image, int row, int x_from, int x_to, F test) {
    int count = 0;
    for (int y = row * 16; y < row * 16 + 16; ++y) {
        for (int x = x_from; x < x_to; ++x) {
            count += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}
}  // namespace

void test_progress_info::current_row_is_white_bold_on_blue() {
    th_progress_info progress;
    progress.add_action("Поиск карты на портах", 2, 4, 0);
    progress.add_action("Считывание данных с карты", 1, 65536, 0);
    progress.add_action("Третий шаг", 0, 10, 0);
    progress.show();
    progress.set_current_action(1);

    const QImage image = progress.form->lb_main->grab().toImage();
    const int width = image.width();
    QVERIFY(width > 390 + 50);
    // The current row is filled blue to its end, with white text in each column.
    QVERIFY(is_blue(image.pixel(width - 3, 16 + 8)));
    QVERIFY(is_blue(image.pixel(1, 16 + 1)));
    QVERIFY(count_in_row(image, 1, 0, 40, is_white) > 0);       // its number
    QVERIFY(count_in_row(image, 1, 40, 390, is_white) > 0);     // its name
    QVERIFY(count_in_row(image, 1, 390, width, is_white) > 0);  // its state
    // The other rows keep the list's colours: no blue anywhere, the list's background.
    const QColor list_colour = progress.form->lb_main->palette().color(QPalette::Base);
    for (int row : {0, 2}) {
        QCOMPARE(count_in_row(image, row, 0, width, is_blue), 0);
        QCOMPARE(QColor(image.pixel(width - 3, row * 16 + 8)), list_colour);
    }
    // Moving to another step repaints both rows.
    progress.set_current_action(0);
    const QImage row0_current = progress.form->lb_main->grab().toImage();
    QVERIFY(count_in_row(row0_current, 0, 0, width, is_blue) > 0);
    QCOMPARE(count_in_row(row0_current, 1, 0, width, is_blue), 0);
}

void test_progress_info::state_texts_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("waiting") << 0 << "Ожидание";
    QTest::newRow("running") << 1 << "Выполнение";
    QTest::newRow("done") << 2 << "Выполнено";
    QTest::newRow("3 is an error") << 3 << "Ошибка";
    QTest::newRow("7 is an error") << 7 << "Ошибка";
    QTest::newRow("255 is an error") << 255 << "Ошибка";
}

void test_progress_info::state_texts() {
    QFETCH(int, state);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(progress_state_text(static_cast<uint8_t>(state))), text);
}

void test_progress_info::stop_makes_next_delay_raise_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc") << "escape";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Return") << "return";
    QTest::newRow("click") << "click";
    QTest::newRow("click noticed inside set_position") << "click in set_position";
}

void test_progress_info::stop_makes_next_delay_raise() {
    QFETCH(QString, how);
    th_progress_info progress;
    progress.add_action("Считывание данных с карты", 1, 65536, 0);
    request_user_break();  // an earlier stop is forgotten by show
    progress.show();
    delay_with_messages(0);

    QPushButton* stop = progress.form->btn_stop;
    QCOMPARE(stop->text(), QString("Прервать"));
    if (how == "escape") {
        QTest::keyClick(stop, Qt::Key_Escape);
    } else if (how == "enter") {
        QTest::keyClick(stop, Qt::Key_Enter);
    } else if (how == "return") {
        QTest::keyClick(stop, Qt::Key_Return);
    } else if (how == "click") {
        QTest::mouseClick(stop, Qt::LeftButton);
    } else {
        // The user clicks while the operation updates the bar.
        set_message_processor([stop] { stop->click(); });
        progress.set_position(100);
        set_message_processor({});
    }
    QVERIFY(progress.form->isVisible());  // the window stays until the command hides it
    QVERIFY_THROWS_EXCEPTION(e_user_break, delay_with_messages(0));
    QVERIFY_THROWS_EXCEPTION(e_user_break, delay_with_messages(0));
}

void test_progress_info::cannot_be_closed_between_show_and_hide() {
    th_progress_info progress;
    progress.add_action("Поиск карты на портах", 1, 4, 0);
    progress.show();
    QVERIFY(!progress.form->close());
    QVERIFY(progress.form->isVisible());
    progress.hide();
    QVERIFY(!progress.form->isVisible());
    progress.form->show();
    QVERIFY(progress.form->close());
    QVERIFY(!progress.form->isVisible());
}

void test_progress_info::bad_step_index_raises_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the last") << 2;
    QTest::newRow("far out") << 1000;
}

void test_progress_info::bad_step_index_raises() {
    QFETCH(int, index);
    th_progress_info progress;
    progress.add_action("a", 1, 4, 0);
    progress.add_action("b", 0, 8, 0);
    progress.set_current_action(1);
    try {
        progress.set_current_action(index);
        QFAIL("no exception");
    } catch (const Exception& e) {
        QCOMPARE(QString(e.what()), QString("th_progress_info::test_parametrs!"));
    }
    QCOMPARE(progress.current, 1);
    QCOMPARE(progress.get_progress_bar()->maximum(), 8);
}

void test_progress_info::show_without_steps_raises_before_showing() {
    th_progress_info progress;
    QVERIFY_THROWS_EXCEPTION(Exception, progress.show());
    QVERIFY(!progress.form->isVisible());
    QCOMPARE(progress.form->lb_main->count(), 0);
    QVERIFY(progress.form->close());
}

void test_progress_info::changed_maximum_is_kept_with_its_step() {
    th_progress_info progress;
    progress.add_action("a", 1, 4, 0);
    progress.add_action("b", 0, 65536, 0);
    progress.show();
    QCOMPARE(progress.get_progress_bar()->maximum(), 4);
    progress.set_current_action(1);
    QCOMPARE(progress.get_progress_bar()->maximum(), 65536);
    progress.set_position(300);
    progress.set_max_position(100);
    QCOMPARE(progress.table[1].max_position, 100);
    progress.set_current_action(0);
    QCOMPARE(progress.get_progress_bar()->maximum(), 4);
    progress.set_current_action(1);
    QCOMPARE(progress.get_progress_bar()->maximum(), 100);
    QCOMPARE(progress.get_progress_bar()->value(), 0);

    // A step added while shown makes the first step current but shows no new row.
    progress.add_action("c", 0, 5, 0);
    QCOMPARE(progress.current, 0);
    QCOMPARE(progress.form->lb_main->count(), 2);
    progress.show();
    QCOMPARE(progress.form->lb_main->count(), 3);
    QCOMPARE(progress.form->lb_main->currentRow(), 0);
}

void test_progress_info::takes_focus_back_but_not_from_a_message_box() {
    th_progress_info progress;
    progress.add_action("Поиск карты на портах", 1, 4, 0);
    progress.show();
    QVERIFY(QTest::qWaitForWindowActive(progress.form));

    QWidget other;
    other.show();
    other.activateWindow();
    QCoreApplication::processEvents();
    QTRY_COMPARE(QApplication::activeWindow(), progress.form);

    // A message box shown meanwhile keeps the focus.
    QMessageBox box(QMessageBox::Information, "Информация!", "Прервано пользователем!");
    box.setModal(true);
    box.show();
    box.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QTest::qWait(20);
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&box));
    box.close();
    progress.hide();
}

QTEST_MAIN(test_progress_info)
#include "test_progress_info.moc"
