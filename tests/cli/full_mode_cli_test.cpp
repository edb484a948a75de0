// The command line of Full 8085 mode and the learning aids: run --full with ports, interrupts, the
// budget and the CP/M console; traces; the listing; import and export of standard sources; and the
// line an assembly failed on.

#include "support/cli_process.h"

namespace korvanta::clitest {
namespace {

using FullCliTest = CliTest;

TEST_F(FullCliTest, RunReportsWhatOnlyFullModeKnows)
{
    // IN 20 reads 5A; CPI 5A sets Z; OUT 21 writes it; 10+7+10+5 T-states.
    CliResult r = cli("run " + write("p.asm", "IN 20\nCPI 5A\nOUT 21\nHLT\n") + " --full --in 20=5a --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/status", "Program Finished"},
                            {"/registers/A", "5A"},
                            {"/instructions", 4},
                            {"/tStates", 32},
                            {"/outputs", Json::array({{{"port", "21"}, {"value", "5A"}}})},
                            {"/console", ""},
                            {"/interrupts", {{"enabled", false}, {"masks", "111"}, {"pending", "000"}}},
                            {"/programLog", {"Start Program: Full 8085", "Program Finished: HLT-HOLD", "CPU Idle"}}});
    // The same program in the classic mode skips CPI and OUT, and knows no T-states.
    r = cli("run p.asm --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/instructions", 4}, {"/tStates", nullptr}, {"/outputs", nullptr}});

    // The summary says it too.
    r = cli("run p.asm --full --in 20=5A");
    EXPECT_NE(r.out.find("Executed   4 instructions, 32 T-states (10.4 us at 3.072 MHz)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Outputs    21=5A\n"), std::string::npos) << r.out;
}

TEST_F(FullCliTest, InterruptsConsoleAndBudget)
{
    // EI, unmask, then wait in a loop; TRAP after the third instruction lands at 0024 whatever the masks,
    // with 0004, the loop it interrupted, on the stack.
    write("irq.asm", "EI\nMVI A,08\nSIM\nLOOP: JMP LOOP\n!!ORG 0024\nMVI B,24\nHLT\n");
    CliResult r = cli("run irq.asm --full --interrupt 3:TRAP --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/registers/B", "24"}, {"/SP", "0BB9"}, {"/memory/0BB9", "04"}});
    // INTR with RST 5 goes to 0028 only with the enable set: here it never is, and the budget ends the loop.
    r = cli("run " + write("intr.asm", "LOOP: JMP LOOP\n!!ORG 0028\nHLT\n") +
            " --full --interrupt 0:INTR5 --max-instructions 20 --json");
    EXPECT_EQ(r.exitCode, 1);
    expectReport(r.json(), {{"/status", "Instruction Limit Reached"}, {"/instructions", 21}});

    // C=9 prints up to the "$"; reaching 0000 finishes the run. Without --json the text comes first.
    write("hello.asm", "!!ORG 0100\nMVI C,09\nLXI D,0110\nCALL 0005\nJMP 0000\n!!ORG 0110\n!!DB 48,49,0A,24\n");
    r = cli("run hello.asm --full --bdos");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("HI\nStatus     Program Finished (green)\n", 0), 0u) << r.out;
    r = cli("run hello.asm --full --bdos --json");
    expectReport(r.json(), {{"/console", "HI\n"}, {"/programLog/1", "Program Finished: Warm Boot"}});
}

TEST_F(FullCliTest, TraceListsEachInstructionAndKeepsTheLast)
{
    write("loop.asm", "MVI B,02\nLOOP: DCR B\nJNZ LOOP\nHLT\n");
    CliResult r = cli("run loop.asm --trace --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json trace = r.json()["trace"];
    ASSERT_EQ(trace.size(), 6u);  // MVI, DCR, JNZ taken, DCR, JNZ not taken, HLT
    EXPECT_EQ(trace[0], (Json{{"address", "0000"}, {"bytes", {"06", "02"}}, {"text", "MVI B,02"}, {"changes", {{"B", "02"}}}}));
    EXPECT_EQ(trace[2]["changes"], (Json{{"PC", "0002"}}));  // the jump back
    EXPECT_EQ(trace[3]["changes"], (Json{{"B", "00"}, {"FLAGS", "44"}}));  // Z and even parity; no borrow
    EXPECT_EQ(trace[4]["changes"], Json::object());  // not taken: on to the next instruction
    r = cli("run loop.asm --full --trace --trace-limit 2");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Trace (2 of 6 instructions)\n  5       0003  C2 02 00    JNZ 0002\n"
                         "  6       0006  76          HLT\n"),
              std::string::npos)
        << r.out;
}

TEST_F(FullCliTest, ListingAndTheLineAnAssemblyFailedOn)
{
    write("l.asm", "MVI B,07\n!! note\nLOOP: DCR B\nJNZ LOOP\n");
    CliResult r = cli("listing l.asm --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()[0], (Json{{"line", 0}, {"address", "0000"}, {"bytes", {"06", "07"}}, {"text", "MVI B,07"}}));
    EXPECT_EQ(r.json()[1], (Json{{"line", 1}, {"address", nullptr}, {"bytes", nullptr}, {"text", "!! NOTE"}}));
    EXPECT_EQ(r.json()[4]["text"], "HLT");
    r = cli("listing l.asm --full");
    EXPECT_EQ(r.out, "0000  06 07     7      MVI B,07\n                       !! NOTE\n0002  05        4      LOOP: DCR B\n"
                     "0003  C2 02 00  7/10   JNZ LOOP\n0006  76        5      HLT\n");

    // Seven data bytes: three a row at their own addresses, the line's text on the first.
    write("data.asm", "!!DB 01,02,03,04,05,06,07\nHLT\n");
    r = cli("listing data.asm --full");
    EXPECT_EQ(r.out, "0000  01 02 03         !!DB 01,02,03,04,05,06,07\n0003  04 05 06\n0006  07\n"
                     "0007  76        5      HLT\n");
    EXPECT_EQ(cli("listing data.asm --full --json").json()[0]["bytes"].size(), 7u);

    write("bad.asm", "MVI A,05\nMOV A,X\nHLT\n");
    r = cli("run bad.asm");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nLine 2: MOV A,X\n"), std::string::npos) << r.out;
    r = cli("run bad.asm --json");
    expectReport(r.json(), {{"/selectedLine", 1}});
    EXPECT_EQ(cli("listing bad.asm").exitCode, 1);
}

TEST_F(FullCliTest, ImportRunAndExportStandardSources)
{
    // A textbook program: EQU, a lower-case label, H suffixes, a ; comment and data behind the code.
    write("text.asm", "; add two bytes\nCOUNT EQU 2\n    ORG 0200H\nstart: LXI H,data\n    MOV A,M\n    INX H\n"
                      "    ADD M\n    STA result\n    HLT\ndata: DB 12H, 34H\nresult: DS 1\n    END\n");
    CliResult r = cli("import text.asm --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json j = r.json();
    EXPECT_EQ(j["full"], true);
    EXPECT_EQ(j["startAddress"], "0200");
    // 0200 LXI, 0203 MOV, 0204 INX, 0205 ADD, 0206 STA, 0209 HLT, 020A data, 020C result.
    r = cli("run text.asm --import --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/registers/A", "46"}, {"/memory/020C", "46"}, {"/memory/020A", "12"}, {"/tStates", 10 + 7 + 6 + 7 + 13 + 5}});
    ASSERT_EQ(cli("import text.asm -o text.QSM").exitCode, 0);
    r = cli("run text.QSM --json");
    expectReport(r.json(), {{"/registers/A", "46"}, {"/startAddress", "0200"}});

    // In window 2 the saved project must also know where to start: 0000 is not in 2000-2FFF.
    write("high.asm", "    ORG 2000H\n    MVI A,7\n    STA 2010H\n    HLT\n");
    ASSERT_EQ(cli("import high.asm -o high.QSM").exitCode, 0);
    r = cli("run high.QSM --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/status", "Program Finished"}, {"/startAddress", "2000"}, {"/window", "2"},
                            {"/memory/2010", "07"}});

    // Out again and back in: the same bytes at the same addresses.
    ASSERT_EQ(cli("export-asm text.QSM -o back.asm").exitCode, 0);
    r = cli("run back.asm --import --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/registers/A", "46"}, {"/memory/020C", "46"}});

    // An unknown mnemonic: exit 1, nothing written; a binary file: exit 2.
    write("typo.asm", "  ORG 0\n  MOVE A,B\n");
    r = cli("import typo.asm -o typo.QSM");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("line 2: error: "), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path("typo.QSM")));
    EXPECT_EQ(cli("import " + write("bin.asm", std::string("\x01\x02\0\x03", 4))).exitCode, 2);
    EXPECT_EQ(cli("import text.asm --radix 8").exitCode, 2);
}

TEST_F(FullCliTest, FullModeOptionsAreRefusedWithoutIt)
{
    write("p.asm", "HLT\n");
    for (const char* args : {"run p.asm --in 20=5A", "run p.asm --bdos", "run p.asm --interrupt 1:TRAP",
                             "run p.asm --full --in 123=5A", "run p.asm --full --interrupt 1:RST8.5",
                             "run p.asm --full --interrupt x:TRAP", "run p.asm --max-instructions 0",
                             "run p.asm --radix 16", "run p.asm --trace-limit 5"}) {
        CliResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_EQ(r.out, "") << args;
    }
}

}  // namespace
}  // namespace korvanta::clitest
