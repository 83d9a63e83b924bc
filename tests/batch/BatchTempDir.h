#pragma once
// A scratch folder for one batch test, removed after it.

#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class BatchTempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = MakeScratchDir("snesenie-batch");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const std::string& name, const std::string& content)
    {
        const std::filesystem::path path = dir_ / U8Path(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::filesystem::path dir_;
};
