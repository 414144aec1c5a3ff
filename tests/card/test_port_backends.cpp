// The backend table: what this build offers and what it refuses.
#include <gtest/gtest.h>

#include "card/port_backends.h"
#include "support/test_env.h"

namespace {

TEST(port_backends, a_backend_not_built_here_is_refused_with_a_clear_text) {
    std::string error_text;
    const t_port_backend_kind missing = port_backend_available(t_port_backend_kind::kernel_driver)
                                            ? t_port_backend_kind::ppdev
                                            : t_port_backend_kind::kernel_driver;
    EXPECT_FALSE(port_backend_available(missing));
    EXPECT_EQ(make_port_backend(missing, {}, error_text), nullptr);
    EXPECT_NE(error_text.find("недоступен в этой системе"), std::string::npos) << error_text;
    EXPECT_NE(error_text.find(port_backend_name(missing)), std::string::npos) << error_text;
}

TEST(port_backends, the_native_backend_is_built_and_made) {
    const t_port_backend_kind native = native_port_backend_kind();
    ASSERT_TRUE(port_backend_available(native));
    std::string error_text = "old";
    EXPECT_NE(make_port_backend(native, {}, error_text), nullptr);
    EXPECT_EQ(error_text, "");
#ifdef __linux__
    EXPECT_EQ(native, t_port_backend_kind::ppdev);
#endif
}

TEST(port_backends, the_simulator_is_made_from_its_card_file) {
    t_temp_dir temp;
    t_port_backend_options options;
    options.simulator.card_file = temp.file("card.bin");
    std::string error_text;
    EXPECT_EQ(make_port_backend(t_port_backend_kind::simulator, options, error_text), nullptr);
    EXPECT_NE(error_text, "");

    write_file_bytes(options.simulator.card_file, std::string(3 * 32768, '\xFF'));
    auto backend = make_port_backend(t_port_backend_kind::simulator, options, error_text);
    ASSERT_NE(backend, nullptr) << error_text;
    EXPECT_EQ(backend->open(0x378, error_text), t_port_open_result::opened);
    backend->close();
}

}  // namespace
