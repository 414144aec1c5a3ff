// The port access chosen on the command line, as the window program reads it (the tool's
// reading of the same options is tested with its commands).
#include <gtest/gtest.h>

#include <memory>

#include "app/U_port_choice.h"
#include "app/U_program_start.h"
#include "card/port_backends.h"
#include "card/simulator/demo_card.h"
#include "common/hunits/cp1251.h"
#include "support/test_env.h"

namespace {

struct t_choice_case {
    std::string name;
    std::vector<std::string> args;  // after the program's name
    bool simulate;
    std::string card_file;
    uint32_t sim_port;
    double noise;
    std::optional<uint64_t> seed;
};

void PrintTo(const t_choice_case& c, std::ostream* os) {
    *os << c.name;
}

class PortChoiceOptions : public ::testing::TestWithParam<t_choice_case> {};

TEST_P(PortChoiceOptions, ReadAnywhereOtherArgumentsLeftAlone) {
    const t_choice_case& c = GetParam();
    std::vector<std::string> args = {"h_trelmo"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    t_port_choice choice;
    std::string error;
    ASSERT_TRUE(parse_port_choice(args, choice, error)) << error;
    EXPECT_EQ(choice.simulate, c.simulate);
    EXPECT_EQ(choice.card_file, c.card_file);
    EXPECT_EQ(choice.sim_port, c.sim_port);
    EXPECT_EQ(choice.sim_noise, c.noise);
    EXPECT_EQ(choice.sim_seed, c.seed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortChoiceOptions,
    ::testing::Values(
        t_choice_case{"nothing", {}, false, "", 0x378, 0, std::nullopt},
        t_choice_case{"other_argument_only", {"-SHOW_COMPARE1"}, false, "", 0x378, 0, std::nullopt},
        t_choice_case{
            "demo_card", {"--simulate", "-SHOW_COMPARE1"}, true, "", 0x378, 0, std::nullopt},
        t_choice_case{"card_file_and_port",
                      {"-SHOW_COMPARE1", "--simulate=/tmp/my card.card", "--sim-port=0x9800"},
                      true,
                      "/tmp/my card.card",
                      0x9800,
                      0,
                      std::nullopt},
        // A separate value is the option's, not another argument.
        t_choice_case{"separate_values",
                      {"--simulate", "--sim-port", "0X278", "--sim-noise", "0.25", "--sim-seed=7"},
                      true,
                      "",
                      0x278,
                      0.25,
                      7},
        t_choice_case{"decimal_port", {"--sim-port=956"}, false, "", 0x3BC, 0, std::nullopt}),
    [](const ::testing::TestParamInfo<t_choice_case>& info) { return info.param.name; });

struct t_refused_case {
    std::string name;
    std::string arg;
    std::string message;
};

void PrintTo(const t_refused_case& c, std::ostream* os) {
    *os << c.name;
}

class PortChoiceRefused : public ::testing::TestWithParam<t_refused_case> {};

TEST_P(PortChoiceRefused, BadValueNamesTheOption) {
    const auto& [name, arg, message] = GetParam();
    t_port_choice choice;
    std::string error;
    EXPECT_FALSE(parse_port_choice({"h_trelmo", "--simulate", arg}, choice, error));
    EXPECT_EQ(error, message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortChoiceRefused,
    ::testing::Values(
        t_refused_case{
            "port_outside_list", "--sim-port=0x3F8",
            "Недопустимый адрес порта в --sim-port: 0x3F8 (допустимы 0x378, 0x278, 0x3BC, 0x9800)"},
        t_refused_case{"port_too_short", "--sim-port=0x37",
                       "Недопустимый адрес порта в --sim-port: 0x37 (допустимы 0x378, "
                       "0x278, 0x3BC, 0x9800)"},
        t_refused_case{"noise_above_one", "--sim-noise=1.5",
                       "--sim-noise: нужна вероятность от 0 до 1: 1.5"},
        t_refused_case{"noise_not_a_number", "--sim-noise=abc",
                       "--sim-noise: нужна вероятность от 0 до 1: abc"},
        t_refused_case{"negative_seed", "--sim-seed=-1",
                       "--sim-seed: нужно целое неотрицательное число: -1"},
        t_refused_case{"seed_without_value", "--sim-seed",
                       "Для параметра --sim-seed не указано значение"}),
    [](const ::testing::TestParamInfo<t_refused_case>& info) { return info.param.name; });

class WindowPortBackend : public t_test_env {
  protected:
    WindowPortBackend() { start_program(log); }

    std::unique_ptr<t_port_backend> choose(std::vector<std::string> args) {
        args.insert(args.begin(), "h_trelmo");
        return choose_window_port_backend(args, exit_status);
    }
    std::string log_text() {
        log.flush_log_buffer();
        return read_file_bytes(log.get_log_file_name());
    }

    t_hlog log;
    int exit_status = -1;
};

TEST_F(WindowPortBackend, BadOptionIsShownWithTheUsageAndEndsTheProgram) {
    EXPECT_EQ(choose({"--simulate", "--sim-port=0x3F8", "-SHOW_COMPARE1"}), nullptr);
    EXPECT_EQ(exit_status, 2);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, t_dialog_kind::error);
    EXPECT_EQ(dialogs.shown[0].caption, "Ошибка!");
    EXPECT_EQ(dialogs.shown[0].text,
              "Недопустимый адрес порта в --sim-port: 0x3F8 (допустимы 0x378, 0x278, 0x3BC, "
              "0x9800)\n\nПараметры программы:\n"
              "--simulate[=ФАЙЛ_КАРТЫ]: имитатор считывателя\n"
              "--sim-port=АДРЕС: порт имитатора\n"
              "--sim-noise=P, --sim-seed=N: помехи\n"
              "-SHOW_COMPARE1: вкладка \"Сравнение\"");
    EXPECT_NE(log_text().find("dialog_error"), std::string::npos);  // the message is logged
}

TEST_F(WindowPortBackend, CardFileThatCannotBeUsedEndsTheProgram) {
    write_file_bytes(temp.file("short.card"), std::string(1000, '\xFF'));
    EXPECT_EQ(choose({"--simulate=" + temp.file("short.card")}), nullptr);
    EXPECT_EQ(exit_status, 2);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find(temp.file("short.card")), std::string::npos);

    dialogs.shown.clear();
    EXPECT_EQ(choose({"--simulate=" + temp.file("missing.card")}), nullptr);
    EXPECT_EQ(exit_status, 2);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(WindowPortBackend, SimulateWithoutFileMakesTheDemoCardOnce) {
    std::unique_ptr<t_port_backend> backend = choose({"--simulate", "--sim-port=0x278"});
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(exit_status, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    auto* sim = dynamic_cast<t_sim_port_backend*>(backend.get());
    ASSERT_NE(sim, nullptr);
    const std::vector<uint8_t> demo = make_demo_card_image(demo_card_cells, demo_card_seed);
    EXPECT_EQ(sim->reader().image(), demo);
    EXPECT_EQ(demo_card_path(), program_data_dir() + "demo.card");
    const std::string file = read_file_bytes(demo_card_path());
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()), demo);
    EXPECT_NE(log_text().find(utf8_to_cp1251("Доступ к порту: имитатор считывателя карт на "
                                             "порту 0x278, карта " +
                                             demo_card_path())),
              std::string::npos);
    backend.reset();

    // An existing demo card is used as it is (the run command remakes it on purpose).
    write_file_bytes(demo_card_path(), std::string(3 * 32768, '\xFF'));
    backend = choose({"--simulate"});
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(dynamic_cast<t_sim_port_backend&>(*backend).reader().image().size(), 3u * 32768);
}

TEST_F(WindowPortBackend, WithoutSimulateTheMachinesPort) {
    std::unique_ptr<t_port_backend> backend = choose({"-SHOW_COMPARE1"});
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(exit_status, 0);
    EXPECT_EQ(dynamic_cast<t_sim_port_backend*>(backend.get()), nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_NE(log_text().find(utf8_to_cp1251(std::string("Доступ к порту: порт компьютера (") +
                                             port_backend_name(native_port_backend_kind()) + ")")),
              std::string::npos);
}

}  // namespace
