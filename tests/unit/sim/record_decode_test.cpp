#include "SimTestLines.h"

#include "sim/Controller.h"

#include "records/DbRecord.h"

#include <gtest/gtest.h>

using namespace aql::sim;
using namespace aql::sim::test;

// The console's own record parser reads the simulator's record lines back to the values the
// generator meant, in both line kinds.
TEST(RecordDecoding, consoleParserReadsBackWhatTheGeneratorIntended) {
    ControllerSetup setup;
    setup.records = 40;
    setup.seed = 5;
    Controller c(setup);
    for (LineKind kind : {LineKind::Addressed, LineKind::Unaddressed}) {
        for (const LogRecord &want : c.log()) {
            const auto lines = receiveLines(recordLine(kind, 1, want));
            ASSERT_EQ(lines.size(), 1u);
            ASSERT_EQ(lines[0].status, aql::link::LineStatus::Ok);
            const std::string body =
                kind == LineKind::Addressed ? lines[0].payload.substr(1) : lines[0].payload;
            aql::records::dbRecord got;
            got.fromString(body, aql::records::rtype::kLog, false,
                           aql::records::ValueBase::Interactive);
            EXPECT_EQ(got.recordNumber, static_cast<std::int32_t>(want.number));
            EXPECT_EQ(got.recordKey, static_cast<std::int32_t>(want.key));
            EXPECT_EQ(got.key(), "K" + std::to_string(want.number));
            ASSERT_NE(got.datetime(), nullptr);
            EXPECT_EQ(got.datetime()->year, want.time.year);
            EXPECT_EQ(got.datetime()->month, want.time.month);
            EXPECT_EQ(got.datetime()->day, want.time.day);
            EXPECT_EQ(got.datetime()->hour, want.time.hour);
            EXPECT_EQ(got.datetime()->minute, want.time.minute);
            const aql::records::log *v = got.log();
            ASSERT_NE(v, nullptr);
            EXPECT_EQ(v->reagent, want.reagent);
            EXPECT_EQ(v->reagentSetpoint, want.reagentSetpoint);
            EXPECT_EQ(v->reagentHighalarm, want.reagentHighAlarm);
            EXPECT_EQ(v->reagentLowAlarm, want.reagentLowAlarm);
            EXPECT_EQ(v->reagentPump, want.reagentPump);
            EXPECT_EQ(v->reagentBits, want.reagentBits);
            EXPECT_FLOAT_EQ(v->pH, want.pH / 100.0f);
            EXPECT_FLOAT_EQ(v->pHSetpoint, want.pHSetpoint / 100.0f);
            EXPECT_FLOAT_EQ(v->pHHighAlarm, want.pHHighAlarm / 100.0f);
            EXPECT_FLOAT_EQ(v->pHLowAlarm, want.pHLowAlarm / 100.0f);
            EXPECT_EQ(v->acidPump, want.acidPump);
            EXPECT_EQ(v->pHBits, want.pHBits);
            EXPECT_EQ(v->flow, want.flow);
            EXPECT_EQ(v->flowLowAlarm, want.flowLowAlarm);
            EXPECT_EQ(v->flowStopAlarm, want.flowStopAlarm);
            EXPECT_EQ(v->flowBits, want.flowBits);
            EXPECT_EQ(v->nulValue, want.nulValue);
            EXPECT_EQ(v->clValue, want.clValue);
            EXPECT_EQ(v->TBC, want.cl2Value);
            EXPECT_EQ(v->GBC, want.emptyValue);
            int inputs = 0;
            for (int i = 0; i < 6; ++i) {
                inputs |= want.digitalInputs[static_cast<std::size_t>(i)] != 0 ? 1 << i : 0;
            }
            EXPECT_EQ(v->digitalIN, inputs);
            EXPECT_EQ(v->Miscellaneous, want.miscellaneous);
        }
    }
}
