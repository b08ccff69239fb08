// The program's interface texts, each once. Each is a lookup key of the translation table
// (resources/translate.txt): the Korean the program was written in, which Translate turns into the current
// language; the table holds a block of seven rows for it, and its English row stands above it here.
// The keys are written as universal character names so that their bytes do not depend on a compiler's source
// charset. Texts that are no lookup key (value names, file names, machine-readable English) stay with their
// users.
#pragma once

namespace tw {

// The window, its header and the Run page.
// "Tempowave"
inline constexpr char16_t kTextTempowave[] = u"\uD15C\uD3EC\uC6E8\uC774\uBE0C";
// "Home"
inline constexpr char16_t kTextHome[] = u"\uCC98\uC74C\uD654\uBA74";
// "Config"
inline constexpr char16_t kTextConfig[] = u"\uD658\uACBD\uC124\uC815";
// "Donate"
inline constexpr char16_t kTextDonate[] = u"\uD6C4\uC6D0\uD558\uAE30";
// "Run"
inline constexpr char16_t kTextRun[] = u"\uC2E4\uD589\uD558\uAE30";
// "Running"
inline constexpr char16_t kTextRunning[] = u"\uC2E4\uD589\uC911";
// "Easily improve <B>game responsiveness</B>."
inline constexpr char16_t kTextSloganResponsiveness[] =
    u"<B>\uAC8C\uC784 \uBC18\uC751 \uC18D\uB3C4</B>\uB97C \uC190\uC27D\uAC8C \uD5A5\uC0C1 "
    u"\uC2DC\uD0B5\uB2C8\uB2E4.";
// "Minimize <B>latency</B> with an optimized network."
inline constexpr char16_t kTextSloganLatency[] =
    u"\uCD5C\uC801\uD654\uB41C \uB124\uD2B8\uC6CC\uD06C\uB85C <B>\uC9C0\uC5F0 \uC2DC\uAC04\uC744 "
    u"\uCD5C\uC18C\uD654</B>\uD569\uB2C8\uB2E4.";
// "Improve <B>game speed and stability</B> with simple settings."
inline constexpr char16_t kTextSloganStability[] =
    u"\uAC04\uD3B8\uD55C \uC124\uC815\uC73C\uB85C <B>\uAC8C\uC784 \uC18D\uB3C4\uC640 "
    u"\uC548\uC815\uC131</B>\uC744 \uB3D9\uC2DC\uC5D0 \uAC1C\uC120\uD569\uB2C8\uB2E4.";
// "There are no active networks."
inline constexpr char16_t kTextNoActiveNetwork[] =
    u"\uD65C\uC131\uC911\uC778 \uB124\uD2B8\uC6CC\uD06C\uAC00 \uC5C6\uC2B5\uB2C8\uB2E4.";

// The settings page.
// "Version"
inline constexpr char16_t kTextVersion[] = u"\uBC84\uC804";
// "Unknown"
inline constexpr char16_t kTextUnknown[] = u"\uC54C\uC218\uC5C6\uC74C";
// "Network Adapter"
inline constexpr char16_t kTextAdapterGroup[] = u"\uB124\uD2B8\uC6CC\uD06C \uC544\uB2F5\uD130 \uC815\uBCF4";
// "Disable Nagle's algorithm"
inline constexpr char16_t kTextNagleGroup[] = u"\uB124\uC774\uAE00 \uC54C\uACE0\uB9AC\uC998 \uD574\uC81C";
// "Network Throttling Index"
inline constexpr char16_t kTextThrottlingGroup[] = u"\uB124\uD2B8\uC6CC\uD06C \uC4F0\uB85C\uD2C0\uB9C1";

// The dialog that shows an address the program could not open.
// "The browser could not be opened. Copy the address below into your browser."
inline constexpr char16_t kTextBrowserNotOpened[] =
    u"\uBE0C\uB77C\uC6B0\uC800\uB97C \uC5F4 \uC218 \uC5C6\uC2B5\uB2C8\uB2E4. \uC544\uB798 "
    u"\uC8FC\uC18C\uB97C \uBCF5\uC0AC\uD558\uC5EC \uBE0C\uB77C\uC6B0\uC800\uC5D0\uC11C "
    u"\uC5EC\uC2ED\uC2DC\uC624.";
// "Copy"
inline constexpr char16_t kTextCopy[] = u"\uBCF5\uC0AC";
// "Close"
inline constexpr char16_t kTextClose[] = u"\uB2EB\uAE30";

// How a Run or Run again ends, and why one did not start.
// "The network did not answer, so the changes were undone."
inline constexpr char16_t kTextUndone[] =
    u"\uB124\uD2B8\uC6CC\uD06C\uAC00 \uC751\uB2F5\uD558\uC9C0 \uC54A\uC544 \uBCC0\uACBD "
    u"\uC0AC\uD56D\uC744 \uB418\uB3CC\uB838\uC2B5\uB2C8\uB2E4.";
// "The network has not answered yet."
inline constexpr char16_t kTextNotYet[] =
    u"\uB124\uD2B8\uC6CC\uD06C\uAC00 \uC544\uC9C1 \uC751\uB2F5\uD558\uC9C0 \uC54A\uC2B5\uB2C8\uB2E4.";
// "The network connection could not be switched back on. Please switch it on in the Windows network
// settings."
inline constexpr char16_t kTextStayedOff[] =
    u"\uB124\uD2B8\uC6CC\uD06C \uC5F0\uACB0\uC744 \uB2E4\uC2DC \uCF1C\uC9C0 "
    u"\uBABB\uD588\uC2B5\uB2C8\uB2E4. Windows \uB124\uD2B8\uC6CC\uD06C \uC124\uC815\uC5D0\uC11C "
    u"\uC5F0\uACB0\uC744 \uCF1C \uC8FC\uC138\uC694.";
// "Some values could not be given back. Press the button again to try once more."
inline constexpr char16_t kTextKeptBack[] =
    u"\uC77C\uBD80 \uAC12\uC744 \uC6D0\uB798\uB300\uB85C \uB418\uB3CC\uB9AC\uC9C0 "
    u"\uBABB\uD588\uC2B5\uB2C8\uB2E4. \uBC84\uD2BC\uC744 \uB2E4\uC2DC \uB20C\uB7EC \uC8FC\uC138\uC694.";
// "The record of your earlier values is damaged. What could be read was given back, and the record was kept.
// Check the values, then remove the record by hand as the README describes."
inline constexpr char16_t kTextRecordDamagedKept[] =
    u"\uC774\uC804 \uAC12\uC758 \uAE30\uB85D\uC774 \uC190\uC0C1\uB418\uC5C8\uC2B5\uB2C8\uB2E4. "
    u"\uC77D\uC744 \uC218 \uC788\uB294 \uAC12\uC740 \uB418\uB3CC\uB838\uACE0 \uAE30\uB85D\uC740 "
    u"\uB0A8\uACA8 \uB450\uC5C8\uC2B5\uB2C8\uB2E4. \uAC12\uC744 \uD655\uC778\uD55C \uB4A4 README\uC758 "
    u"\uC548\uB0B4\uC5D0 \uB530\uB77C \uAE30\uB85D\uC744 \uC9C1\uC811 \uC9C0\uC6CC \uC8FC\uC138\uC694.";
// "These values were not changed:"
inline constexpr char16_t kTextNotChanged[] =
    u"\uB2E4\uC74C \uAC12\uC740 \uBC14\uAFB8\uC9C0 \uBABB\uD588\uC2B5\uB2C8\uB2E4:";
// "Another copy of Tempowave is changing the network. Try again once it has finished."
inline constexpr char16_t kTextOtherCopy[] =
    u"\uB2E4\uB978 \uD15C\uD3EC\uC6E8\uC774\uBE0C\uAC00 \uB124\uD2B8\uC6CC\uD06C\uB97C "
    u"\uBC14\uAFB8\uB294 \uC911\uC785\uB2C8\uB2E4. \uB05D\uB09C \uB4A4\uC5D0 \uB2E4\uC2DC "
    u"\uC2DC\uB3C4\uD574 \uC8FC\uC138\uC694.";
// "Tempowave must run as administrator to change the network. Please start it again as administrator."
inline constexpr char16_t kTextNotAdministrator[] =
    u"\uB124\uD2B8\uC6CC\uD06C\uB97C \uBC14\uAFB8\uB824\uBA74 \uD15C\uD3EC\uC6E8\uC774\uBE0C\uB97C "
    u"\uAD00\uB9AC\uC790 \uAD8C\uD55C\uC73C\uB85C \uC2E4\uD589\uD574\uC57C \uD569\uB2C8\uB2E4. "
    u"\uAD00\uB9AC\uC790 \uAD8C\uD55C\uC73C\uB85C \uB2E4\uC2DC \uC2DC\uC791\uD574 \uC8FC\uC138\uC694.";
// "The record of your earlier values is damaged or cannot be read, so Run changed nothing."
inline constexpr char16_t kTextRecordDamagedRun[] =
    u"\uC774\uC804 \uAC12\uC758 \uAE30\uB85D\uC774 \uC190\uC0C1\uB418\uC5C8\uAC70\uB098 \uC77D\uC744 "
    u"\uC218 \uC5C6\uC5B4 \uC2E4\uD589\uD558\uAE30\uAC00 \uC544\uBB34\uAC83\uB3C4 \uBC14\uAFB8\uC9C0 "
    u"\uC54A\uC558\uC2B5\uB2C8\uB2E4.";
// "Your earlier values could not be recorded, so Run changed nothing."
inline constexpr char16_t kTextRecordNotStored[] =
    u"\uC774\uC804 \uAC12\uC744 \uAE30\uB85D\uD558\uC9C0 \uBABB\uD574 \uC544\uBB34\uAC83\uB3C4 "
    u"\uBC14\uAFB8\uC9C0 \uC54A\uC558\uC2B5\uB2C8\uB2E4.";
// "Another copy of Tempowave has already given your earlier values back. Nothing was changed."
inline constexpr char16_t kTextGivenBackElsewhere[] =
    u"\uB2E4\uB978 \uD15C\uD3EC\uC6E8\uC774\uBE0C\uAC00 \uC774\uBBF8 \uC6D0\uB798 \uAC12\uC744 "
    u"\uB418\uB3CC\uB838\uC2B5\uB2C8\uB2E4. \uBC14\uAFBC \uAC83\uC740 \uC5C6\uC2B5\uB2C8\uB2E4.";
// "Switching the network connection back on."
inline constexpr char16_t kTextShutdownReason[] =
    u"\uB124\uD2B8\uC6CC\uD06C \uC5F0\uACB0\uC744 \uB2E4\uC2DC \uCF1C\uB294 \uC911\uC785\uB2C8\uB2E4.";

}  // namespace tw
