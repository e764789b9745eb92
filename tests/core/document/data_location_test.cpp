#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/document/data_location.h"

using namespace fee;

namespace {

const QByteArray kSample = "0\r\nSample\r\n";

class DataLocationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }

    QString path(const QString& relative) const { return QDir(tmp_.path()).absoluteFilePath(relative); }

    void put(const QString& relative, const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path(relative)).absolutePath()));
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray get(const QString& relative) const
    {
        QFile f(path(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir tmp_;
};

TEST_F(DataLocationTest, FirstPerUserStartMakesTheFolderAndCopiesOnlyTheSample)
{
    put("share/compare.dat", kSample);
    put("share/ryoban_h.hlp", "help");
    // An installed sample may be read-only; the user's copy must take the save.
    ASSERT_TRUE(QFile::setPermissions(path("share/compare.dat"), QFile::ReadOwner | QFile::ReadGroup));
    const auto file = prepare_user_data_file(path("home/.local/share/fee-compare"), path("share"));
    ASSERT_TRUE(file.ok()) << file.error().message;
    EXPECT_EQ(file.value(), path("home/.local/share/fee-compare/compare.dat"));
    EXPECT_EQ(get("home/.local/share/fee-compare/compare.dat"), kSample);
    EXPECT_TRUE(QFile::permissions(file.value()) & QFile::WriteOwner);
    EXPECT_EQ(QDir(path("home/.local/share/fee-compare")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"compare.dat"});
}

TEST_F(DataLocationTest, LaterStartsNeverReplaceWhatIsThere)
{
    put("share/compare.dat", kSample);
    put("user/compare.dat", "edited by the user");
    const auto file = prepare_user_data_file(path("user"), path("share"));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.value(), path("user/compare.dat"));
    EXPECT_EQ(get("user/compare.dat"), "edited by the user");

    // Not even a folder or a broken link of that name: reading it reports it.
    ASSERT_TRUE(QDir().mkpath(path("dir/compare.dat")));
    ASSERT_TRUE(prepare_user_data_file(path("dir"), path("share")).ok());
    EXPECT_TRUE(QFileInfo(path("dir/compare.dat")).isDir());
    ASSERT_TRUE(QDir().mkpath(path("link")));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("link/compare.dat")));
    ASSERT_TRUE(prepare_user_data_file(path("link"), path("share")).ok());
    EXPECT_FALSE(QFileInfo::exists(path("nowhere")));
}

TEST_F(DataLocationTest, WithoutASampleNothingIsMade)
{
    put("share/ryoban_h.hlp", "help");
    for (const QString& shared : {QString(), path("share"), path("missing")}) {
        const auto file = prepare_user_data_file(path("user"), shared);
        ASSERT_TRUE(file.ok());
        EXPECT_EQ(file.value(), path("user/compare.dat"));
        EXPECT_FALSE(QFileInfo::exists(path("user"))) << shared.toStdString();
    }
}

TEST_F(DataLocationTest, AFolderThatCannotBeMadeIsReported)
{
    put("share/compare.dat", kSample);
    put("blocked", "a file where a folder should be");
    const auto file = prepare_user_data_file(path("blocked/fee-compare"), path("share"));
    ASSERT_FALSE(file.ok());
    EXPECT_EQ(file.error().message, path("blocked/fee-compare").toStdString() + " を作れませんでした。");
}

TEST_F(DataLocationTest, InstalledFolderIsFoundFromTheProgramsFolder)
{
    ASSERT_TRUE(QDir().mkpath(path("usr/bin")));
    ASSERT_TRUE(QDir().mkpath(path("usr/share/fee-compare")));
    EXPECT_EQ(shared_data_dir(path("usr/bin")), path("usr/share/fee-compare"));
    // An installation without its share folder takes nothing from elsewhere;
    // only a program of the build tree uses the sources.
    ASSERT_TRUE(QDir().mkpath(path("opt/bin")));
    EXPECT_EQ(shared_data_dir(path("opt/bin")), QString());
    EXPECT_EQ(shared_data_dir(QStringLiteral(FEE_BINARY_DIR "/src/gui")),
              QFileInfo(QStringLiteral(FEE_SAMPLE_DATA)).absolutePath());
}

TEST_F(DataLocationTest, HelpBesideTheDataFileComesFirst)
{
    put("work/compare.dat", kSample);
    put("share/ryoban_h.hlp", "installed");
    DataLocation where{path("work/compare.dat"), path("share")};
    EXPECT_EQ(find_help_file(where), path("share/ryoban_h.hlp"));
    put("work/ryoban_h.hlp", "own");
    EXPECT_EQ(find_help_file(where), path("work/ryoban_h.hlp"));

    where.shared_dir.clear();
    ASSERT_TRUE(QFile::remove(path("work/ryoban_h.hlp")));
    ASSERT_TRUE(QDir().mkpath(path("work/ryoban_h.hlp"))); // a folder is no help file
    EXPECT_EQ(find_help_file(where), QString());
}

TEST_F(DataLocationTest, TheSwitchChoosesTheCurrentOrTheUsersFolder)
{
    int argc = 1;
    char name[] = "core_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    qputenv("XDG_DATA_HOME", path("data").toUtf8());
    const QString source_data = QFileInfo(QStringLiteral(FEE_SAMPLE_DATA)).absolutePath();

    const auto here = locate_data(DataFolder::Current);
    ASSERT_TRUE(here.ok());
    EXPECT_EQ(here->data_file, QDir::current().absoluteFilePath("compare.dat"));
    EXPECT_EQ(here->shared_dir, source_data);
    EXPECT_FALSE(QFileInfo::exists(path("data")));

    const auto per_user = locate_data(DataFolder::PerUser);
    qunsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(per_user.ok()) << per_user.error().message;
    EXPECT_EQ(per_user->data_file, path("data/fee-compare/compare.dat"));
    QFile sample(QStringLiteral(FEE_SAMPLE_DATA));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    EXPECT_EQ(get("data/fee-compare/compare.dat"), sample.readAll());
}

} // namespace
