// The batch in process: the order of the lines whatever the number of workers,
// over more farms than the workers may run ahead of the writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "fixture_database.h"

namespace {

using file_handle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

struct batch_run {
    int status = -1;
    std::string out;
    std::string err;
};

batch_run run_batch_of(const std::vector<std::string>& farms, int jobs) {
    zelmora::batch_options options;
    options.database = ZELMORA_DEMO_DATABASE;
    options.farms = farms;
    options.jobs = jobs;
    file_handle out(std::tmpfile(), &std::fclose);
    file_handle err(std::tmpfile(), &std::fclose);
    batch_run run;
    run.status = zelmora::run_batch(options, out.get(), err.get());
    run.out = contents(out.get());
    run.err = contents(err.get());
    return run;
}

}  // namespace

TEST(Batch, LinesKeepTheGivenOrderWithAnyNumberOfWorkers) {
    const std::string examples = ZELMORA_EXAMPLES_DIR;
    const char* const names[] = {"/iowa-farm.ini", "/arkansas-farm.ini", "/north-dakota-farm.ini"};
    std::vector<std::string> farms;
    for (int i = 0; i < 150; ++i)  // over twice the window of one worker
        farms.push_back(i % 25 == 7 ? examples + "/missing-" + std::to_string(i) + ".ini" : examples + names[i % 3]);

    const batch_run one = run_batch_of(farms, 1);
    EXPECT_EQ(one.status, 3);
    const batch_run three = run_batch_of(farms, 3);
    EXPECT_EQ(three.status, 3);
    EXPECT_EQ(three.out, one.out);
    EXPECT_EQ(three.err, one.err);

    // Every farm's lines in the order given, the refused ones left out and named in order on the errors.
    // (Neighbouring farms never share a file here, so a change of name is a new farm.)
    std::string names_in_order;
    std::string last;
    for (std::size_t start = 0; start < one.out.size(); start = one.out.find('\n', start) + 1) {
        const std::string name = one.out.substr(start, one.out.find('\t', start) - start);
        if (name != last) names_in_order += name + "\n";
        last = name;
    }
    std::string expected_names;
    std::string expected_errors;
    for (const auto& farm : farms) {
        if (farm.find("missing-") == std::string::npos)
            expected_names += farm + "\n";
        else
            expected_errors += "zelmora-cli: cannot read inputs file \"" + farm + "\": No such file or directory\n";
    }
    EXPECT_EQ(names_in_order, expected_names);
    EXPECT_EQ(one.err, expected_errors);
}

TEST(Batch, FoldersGiveTheirIniFilesInNameOrder) {
    const std::string examples = ZELMORA_EXAMPLES_DIR;
    EXPECT_EQ(zelmora::batch_farm_files({examples + "/iowa-farm.ini", examples}),
              (std::vector<std::string>{examples + "/iowa-farm.ini", examples + "/arkansas-farm.ini",
                                        examples + "/iowa-farm.ini", examples + "/north-dakota-farm.ini"}));
}

TEST(Batch, LinesThatCannotBeWrittenStopTheBatchWithThree) {
    zelmora::batch_options options;
    options.database = ZELMORA_DEMO_DATABASE;
    options.farms = {ZELMORA_EXAMPLES_DIR};
    options.jobs = 2;
    file_handle full(std::fopen("/dev/full", "wb"), &std::fclose);
    ASSERT_TRUE(full);
    file_handle err(std::tmpfile(), &std::fclose);
    EXPECT_EQ(zelmora::run_batch(options, full.get(), err.get()), zelmora::exit_batch_farm_failed);
    EXPECT_EQ(contents(err.get()), "zelmora-cli: batch: cannot write the lines: No space left on device\n");
}

// A farm file's name reaches the terminal and the lines with its control
// characters printed as '?', and a line break in it never splits a line.
TEST(Batch, ControlCharactersOfFileNamesArePrintedAsQuestionMarks) {
    zelmora::testing::scratch_directory scratch;
    const std::string iowa = std::string(ZELMORA_EXAMPLES_DIR) + "/iowa-farm.ini";
    const std::string escape = scratch.file("farm\x1b[2J.ini");
    std::filesystem::copy_file(iowa, escape);
    const std::string broken = scratch.file("two\nlines\x1b]0;x\x07.ini");
    std::filesystem::copy_file(iowa, broken);
    const std::string missing = scratch.file("gone\xc2\x9b" "1m.ini");  // CSI, a C1 control in UTF-8

    const batch_run run = run_batch_of({escape, broken, missing}, 1);
    EXPECT_EQ(run.status, 3);
    const std::string shown = scratch.file("farm?[2J.ini");
    ASSERT_FALSE(run.out.empty());
    for (std::size_t start = 0; start < run.out.size(); start = run.out.find('\n', start) + 1)
        EXPECT_EQ(run.out.compare(start, shown.size() + 1, shown + "\t"), 0) << run.out.substr(start, 80);
    EXPECT_EQ(run.err,
              "zelmora-cli: farm file name \"" + scratch.file("two?lines?]0;x?.ini") +
                  "\" holds a tab or a line break, which its lines cannot carry\n"
                  "zelmora-cli: cannot read inputs file \"" + scratch.file("gone?1m.ini") +
                  "\": No such file or directory\n");
    for (const std::string& text : {run.out, run.err}) EXPECT_EQ(text.find_first_of("\x1b\x07\xc2"), std::string::npos);
}
