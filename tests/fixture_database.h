#pragma once
// A scratch rating database in a temporary folder, with the schema created,
// for tests that need a few rows of their own.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "data/premium_database.h"
#include "data/rowsets.h"
#include "data/schema.h"

namespace zelmora::testing {

class scratch_directory {
public:
    scratch_directory() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("zelmora-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~scratch_directory() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    scratch_directory(const scratch_directory&) = delete;
    scratch_directory& operator=(const scratch_directory&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class fixture_database {
public:
    fixture_database() : path_(dir_.file("APH Base Premium Data.sqlite")) {
        std::string error;
        db_ = create_premium_database(path_, error);
        EXPECT_TRUE(db_) << error;
        EXPECT_EQ(create_schema(*db_), 0);
    }
    premium_database& db() { return *db_; }
    const std::string& path() const { return path_; }

    // Inserts one row through a table's accessor.
    template <class Rowset, class Record>
    void add(const Record& record) {
        Rowset rs;
        ASSERT_EQ(rs.open_with_filter(*db_), 0);
        rs.record = record;
        ASSERT_EQ(rs.insert_row(), 0);
        rs.close();
    }

    void exec(const std::string& sql) { ASSERT_EQ(db_->execute_statement(sql), 0) << sql; }

private:
    scratch_directory dir_;
    std::string path_;
    std::unique_ptr<premium_database> db_;
};

}  // namespace zelmora::testing
