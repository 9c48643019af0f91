// The harness's own promises, checked against a running panel process: the probe forwards what was
// sent inside that process unchanged, and a fault inside a window procedure there is seen.
#include "harness/e2e_case.h"

namespace sidecar::e2e {
namespace {

using HarnessTest = CSidecarCase;

TEST_F(HarnessTest, ReportsArriveAsTheyWereSentInsideThePanelProcess) {
    ASSERT_TRUE(m_run.Start());
    const std::vector<std::uint8_t> record{0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    ASSERT_TRUE(m_run.SendRaw(742046, 7, std::nullopt, m_run.Console()));
    ASSERT_TRUE(m_run.SendRaw(0x1234, static_cast<std::uint32_t>(record.size()), record, m_run.Console()));

    // Both sends are synchronous and the probe forwards synchronously: nothing to wait for.
    ASSERT_EQ(m_run.Reports().size(), 2u);
    const Report& valueOnly = m_run.Reports()[0];
    EXPECT_EQ(valueOnly.code, 742046u);
    EXPECT_EQ(valueOnly.cbData, 7u) << "a value in cbData survives inside one process";
    EXPECT_TRUE(valueOnly.nullData);
    EXPECT_TRUE(valueOnly.bytes.empty());
    EXPECT_EQ(valueOnly.console, m_run.Console());
    EXPECT_EQ(valueOnly.sender, m_run.Console());

    const Report& withRecord = m_run.Reports()[1];
    EXPECT_EQ(withRecord.code, 0x1234u);
    EXPECT_EQ(withRecord.cbData, record.size());
    EXPECT_FALSE(withRecord.nullData);
    EXPECT_EQ(withRecord.bytes, record);

    ASSERT_TRUE(m_run.WaitForReport(0));
    ASSERT_TRUE(m_run.WaitForReport(0));
    EXPECT_FALSE(m_run.WaitForReport(0)) << "each report is handed out once";
}

TEST_F(HarnessTest, AReadPastTheRecordFaultsAtTheInaccessiblePageAndIsSeen) {
    ASSERT_TRUE(m_run.Start());
    // The probe's console copies cbData bytes, here 64 out of an 8-byte record: it runs into the page
    // that SendRaw puts right after the record, inside a window procedure, where Wine swallows faults.
    const std::vector<std::uint8_t> record(8, 0xAB);
    m_run.SendRaw(0x1234, 64, record, m_run.Console());

    const std::vector<Fault> faults = m_run.TakeFaults();
    ASSERT_FALSE(faults.empty()) << "the overread went unseen";
    const Fault& fault = faults.front();
    EXPECT_EQ(fault.code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << fault.Describe();
    EXPECT_TRUE(fault.firstChance) << fault.Describe();
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    EXPECT_EQ(fault.dataAddress % si.dwPageSize, 0u)
        << "the record must end where the page begins: " << fault.Describe();
}

}  // namespace
}  // namespace sidecar::e2e
