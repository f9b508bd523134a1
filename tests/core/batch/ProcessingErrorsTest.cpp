#include "core/batch/ProcessingErrors.h"

#include <gtest/gtest.h>

using vantrel::ProcessingErrors;

namespace {

TEST(ProcessingErrors, ReportHasOneLinePerMessageInOrderUntilCleared) {
    ProcessingErrors& errors = ProcessingErrors::errors();
    errors.clearErrors();
    EXPECT_FALSE(errors.errorsDidOccur());
    EXPECT_EQ(errors.errorMessage(), "");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "a.jpg"}) {
        errors.addError(QStringLiteral("%1 couldn't not be cropped!").arg(name));
    }
    EXPECT_TRUE(errors.errorsDidOccur());
    EXPECT_EQ(errors.errorMessage(), "a.jpg couldn't not be cropped!\n"
                                     "b.jpg couldn't not be cropped!\n"
                                     "c.jpg couldn't not be cropped!\n"
                                     "a.jpg couldn't not be cropped!\n");
    errors.clearErrors();
    EXPECT_FALSE(errors.errorsDidOccur());
}

} // namespace
