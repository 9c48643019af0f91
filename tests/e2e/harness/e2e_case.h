#pragma once
// The fixture of every e2e case: one CSidecarRun, finished (closed, checked for faults, cleaned up)
// when the case ends.
#include <gtest/gtest.h>

#include "harness/sidecar_run.h"

namespace sidecar::e2e {

class CSidecarCase : public ::testing::Test {
  protected:
    void TearDown() override { m_run.Finish(); }

    CSidecarRun m_run;
};

}  // namespace sidecar::e2e
