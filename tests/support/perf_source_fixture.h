// Serves synthesised interfaces, or raw blocks, to the registry stand-in: one fresh read a query.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "perf_data.h"
#include "perf_data_source.h"

class PerfSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPerfDataSnapshotReuse(std::chrono::nanoseconds{0});
        SetInterfaceSampleSource([this](std::vector<InterfaceSample>& out) {
            ++queries;
            return fail ? EIO : (out = samples, 0);
        });
    }
    void TearDown() override {
        SetInterfaceSampleSource({});
        SetRawPerfDataSource({});
        SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
    }

    // Until ServeSamples, every query gets `block` as it is.
    void ServeRaw(std::vector<std::byte> block) {
        SetRawPerfDataSource([this, block = std::move(block)](std::vector<std::byte>& out) {
            ++queries;
            out = block;
            return 0;
        });
    }
    void ServeSamples() { SetRawPerfDataSource({}); }

    std::vector<InterfaceSample> samples;
    bool fail = false;
    int queries = 0;
};

inline void Patch(std::vector<std::byte>& block, std::size_t at, DWORD value) {
    ASSERT_LE(at + sizeof value, block.size());
    std::memcpy(block.data() + at, &value, sizeof value);
}
