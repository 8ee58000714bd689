#include "platform/sdl/CSdlDialogs.h"

#include <gtest/gtest.h>

TEST(SdlDialogs, AnswersMapToWin32Results) {
    struct Case {
        int button;
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {IDYES, MB_YESNO, IDYES},
        {IDNO, MB_YESNO, IDNO},
        {-1, MB_YESNO, IDNO},  // closed without an answer: a question box cannot be
        {IDOK, MB_ICONERROR, IDOK},
        {-1, MB_ICONERROR, IDOK},
        {IDOK, MB_OK, IDOK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSdlDialogs::AnswerFromButton(c.button, c.type), c.answer)
            << "button " << c.button << " type " << c.type;
    }
    // No box could be shown: a question is answered No, anything else OK.
    EXPECT_EQ(CSdlDialogs::AnswerWithoutBox(MB_YESNO), IDNO);
    EXPECT_EQ(CSdlDialogs::AnswerWithoutBox(MB_ICONERROR), IDOK);
}
