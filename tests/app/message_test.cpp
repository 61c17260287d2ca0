#include "app/message.h"
#include "app/testing/fake_ui.h"

#include <gtest/gtest.h>

using namespace hk::app;
using hk::app::testing::FakeUi;
using hk::app::testing::FakeUiError;

TEST(Raise, QuestionAsksYesNoAndReturnsTheAnswer) {
    FakeUi ui;
    ui.answer(1).answer(2);
    EXPECT_EQ(raise(ui, 9), Answer::Yes);
    EXPECT_EQ(raise(ui, 9), Answer::No);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].caption, "Silme onayı");
    EXPECT_EQ(ui.messages[0].text, "Seçmiş olduğunuz kaydı silmek istediğinizden eminmisiniz?");
    EXPECT_EQ(ui.messages[0].buttons, "&Evet|&Hayır");
    EXPECT_EQ(ui.messages[0].icon, Icon::Question);
}

TEST(Raise, MessageFillsPlaceholdersAndNeedsNoAnswer) {
    FakeUi ui;
    MessageArgs a;
    a.file = "FisDet";
    EXPECT_EQ(raise(ui, 30, a), Answer::Ok);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Dosya bağlantı hatası");
    EXPECT_EQ(ui.messages[0].text.rfind("Bu kayıt FisDet dosyası ile bağlantılıdır.", 0), 0u);
    EXPECT_EQ(ui.messages[0].buttons, "&Tamam");
}

TEST(Raise, FatalShowsTheBoxThenEndsTheProgram) {
    FakeUi ui;
    MessageArgs a;
    a.file = "HsPlan";
    a.errorText = "disk dolu";
    try {
        raise(ui, 23, a);
        FAIL() << "a fatal message must end the program";
    } catch (const ProgramEnd& e) {
        EXPECT_NE(e.exitCode(), 0);
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Dosya ulaşım hatası");
    EXPECT_EQ(ui.messages[0].text,
              "Dosya (HsPlan) açılamadı.  Hata: disk dolu.  Press OK to end this application");
    EXPECT_EQ(ui.messages[0].icon, Icon::Critical);
}

TEST(Raise, EngineErrorUsesItsOwnMessageNumberAndTexts) {
    FakeUi ui;
    auto err = hk::core::Error::of(40, "Çift kayıt", "HsPlan", 13);
    MessageArgs a;
    a.message = "HSP:KeyHesap";
    raiseError(ui, err, 4, a);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Çift kayıt yaratma hatası");
    EXPECT_NE(ui.messages[0].text.find("HSP:KeyHesap key sahası"), std::string::npos);

    // Without a number of its own the fallback is raised, with the engine's text.
    raiseError(ui, hk::core::Error::of(90, "disk I/O error", "FisBas"), 4);
    EXPECT_EQ(ui.messages[1].text, "Yeni bir kayıt yaratılırken hata oluştu. Hata: disk I/O error.");
}

TEST(Raise, UnknownNumberIsShownNotCrashed) {
    FakeUi ui;
    EXPECT_EQ(raise(ui, 99), Answer::Ok);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("99"), std::string::npos);
}

TEST(Raise, StorageErrorShowsCodeAndTextUnderTheOperation) {
    FakeUi ui;
    showStorageError(ui, hk::core::Error::of(33, "kayıt yok"), "Set(HPlan)");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "33 kayıt yok");
    EXPECT_EQ(ui.messages[0].caption, "Set(HPlan)");
}

TEST(FakeUiScript, QuestionWithoutScriptedAnswerFailsLoudly) {
    FakeUi ui;
    EXPECT_THROW(raise(ui, 9), FakeUiError);
    // The box is still recorded, so the test can tell which question was unexpected.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Silme onayı");
}

TEST(FakeUiScript, ProgressTextsAreRecordedOnceEachInOrder) {
    FakeUi ui;
    ui.progress("A", 0);
    ui.progress("A", 50);
    ui.progress("B", -1);
    ui.progressDone();
    EXPECT_EQ(ui.progressTexts, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ui.progressUpdates, 3);
    EXPECT_EQ(ui.progressDoneCount, 1);
    EXPECT_THROW(ui.chooseFile("Dosya", "*", false), FakeUiError);
    EXPECT_THROW(ui.pick("Liste", {"a"}), FakeUiError);
}
