#include "tests/faults/store_ops.h"

#include "tiff/tiff_header.h"
#include "tests/params/data_file_maker.h"

#include <gtest/gtest.h>

#include <bit>

namespace tovrel::test {

namespace {

std::vector<uint32_t> bitsOf(const std::vector<float>& values) {
    std::vector<uint32_t> bits;
    for (float v : values) {
        bits.push_back(std::bit_cast<uint32_t>(v));
    }
    return bits;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

const std::vector<float>& startingEntries() {
    static const std::vector<float> entries = {0.254f, 0.5f, 0.254f};
    return entries;
}

const std::vector<StoreOp>& everyStoreOp() {
    static const std::vector<StoreOp> ops = {StoreOp::Load,      StoreOp::ReadTemplate,
                                             StoreOp::RemoveAll, StoreOp::Append,
                                             StoreOp::RecordNew, StoreOp::RecordListed};
    return ops;
}

std::string nameOf(StoreOp op) {
    switch (op) {
    case StoreOp::Load:
        return "load";
    case StoreOp::ReadTemplate:
        return "readTemplate";
    case StoreOp::RemoveAll:
        return "removeAll";
    case StoreOp::Append:
        return "append";
    case StoreOp::RecordNew:
        return "recordPitch of a new pitch";
    case StoreOp::RecordListed:
        return "recordPitch of a listed pitch";
    }
    return "?";
}

Status runStoreOp(StoreOp op, const std::filesystem::path& folder, const TiffTemplate& tmpl) {
    PitchStore store(folder);
    switch (op) {
    case StoreOp::Load: {
        const auto loaded = store.load();
        if (loaded) {
            EXPECT_EQ(bitsOf(loaded.value()), bitsOf(startingEntries()));
        }
        return loaded.status();
    }
    case StoreOp::ReadTemplate: {
        const auto read = store.readTemplate();
        if (read) {
            EXPECT_EQ(read.value(), tmpl);
        }
        return read.status();
    }
    case StoreOp::RemoveAll:
        return store.removeAll(0.254f);
    case StoreOp::Append:
        return store.append(1.27f);
    case StoreOp::RecordNew:
        return recordPitch(store, 1.27f);
    case StoreOp::RecordListed:
        return recordPitch(store, 0.5f);
    }
    return Status::fail("unknown operation");
}

Bytes contentAfter(StoreOp op, const TiffTemplate& tmpl, const Bytes& tail) {
    switch (op) {
    case StoreOp::RemoveAll:
        return dataFileBytes(tmpl, {0.5f});
    case StoreOp::Append:
    case StoreOp::RecordNew: {
        auto entries = startingEntries();
        entries.push_back(1.27f);
        return dataFileBytes(tmpl, entries);
    }
    default:
        return dataFileBytes(tmpl, startingEntries(), tail);
    }
}

void expectOutcome(Outcome outcome, const Status& status, const std::filesystem::path& folder) {
    const PitchStore store(folder);
    const std::string& m = status.message();
    switch (outcome) {
    case Outcome::Works:
        EXPECT_TRUE(status.isOk()) << m;
        break;
    case Outcome::NotFound:
        EXPECT_EQ(m, notFoundMessage());
        break;
    case Outcome::Damaged:
        EXPECT_TRUE(contains(m, store.dataPath().string()) && contains(m, "已损坏")) << m;
        break;
    case Outcome::NoAccess:
        EXPECT_TRUE(contains(m, store.dataPath().string()) && contains(m, "没有访问权限")) << m;
        break;
    case Outcome::TempBlocked:
        EXPECT_TRUE(contains(m, store.tempPath().string()) && contains(m, "没有改变")) << m;
        break;
    case Outcome::Unchanged:
        EXPECT_TRUE(contains(m, store.dataPath().string()) && contains(m, "没有改变")) << m;
        break;
    }
    if (outcome != Outcome::Works) {
        EXPECT_FALSE(status.isOk());
    }
}

bool tempLeft(const std::filesystem::path& folder) {
    return std::filesystem::exists(std::filesystem::symlink_status(PitchStore(folder).tempPath()));
}

} // namespace tovrel::test
