// The backend table: what this build offers and what it refuses.
#include <gtest/gtest.h>

#include "card/port_backends.h"

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

}  // namespace
