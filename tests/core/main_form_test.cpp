#include "core/main_form.h"

#include <gtest/gtest.h>

TEST(MainForm, Constructs)
{
    TMainForm form;
    EXPECT_EQ(form.objectName(), "MainForm");
}
