// soundsource_test: Ogg and memory data sources and the extension factory over generated
// Ogg fixtures in a sandboxed asset folder: probing, the 2-second rule, reads and refusals.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/platform.h"
#include "core/sound/oggdatasource.h"
#include "support/soundtestutil.h"

namespace {

class SoundSourceTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TOggDataSource::Register();
    TPlatform::SetConfig(TPlatform::kKeepOGGUncompressed, "");
  }
  void TearDown() override { TPlatform::SetConfig(TPlatform::kKeepOGGUncompressed, ""); }

  static bool IsMemory(const boost::shared_ptr<TSoundDataSource>& source)
  {
    return dynamic_cast<TMemDataSource*>(source.get()) != nullptr;
  }
  static bool IsOgg(const boost::shared_ptr<TSoundDataSource>& source)
  {
    return dynamic_cast<TOggDataSource*>(source.get()) != nullptr;
  }
  // The ten-second tone with one Ogg page in the middle cut out.
  static std::string WithoutAMiddlePage()
  {
    std::string bytes = ReadBytes(SoundFixture("tone10s.ogg"));
    std::vector<size_t> pages;
    for (size_t at = bytes.find("OggS"); at != std::string::npos; at = bytes.find("OggS", at + 4)) {
      pages.push_back(at);
    }
    EXPECT_GE(pages.size(), 5u);
    if (pages.size() < 5)
      return bytes;
    size_t middle = pages.size() / 2;
    return bytes.substr(0, pages[middle]) + bytes.substr(pages[middle + 1]);
  }
  static std::string ReadAll(TSoundDataSource& source)
  {
    std::string bytes(static_cast<size_t>(source.GetRawLength()), '\0');
    unsigned got = source.Read(&bytes[0], 0, static_cast<unsigned>(bytes.size()));
    bytes.resize(got);
    return bytes;
  }
};

TEST_F(SoundSourceTest, Factory_NameWithoutDotIsProbedWithOgg)
{
  TSoundAssets assets({"m199.ogg"});
  boost::shared_ptr<TSoundDataSource> source = TSoundDataSourceFactory::Create("audio/m199", true);
  ASSERT_TRUE(source);
  EXPECT_TRUE(IsOgg(source));
  EXPECT_EQ(source->GetChannels(), 1);
  EXPECT_EQ(source->GetBitRate(), 44100);
  EXPECT_EQ(source->GetRawLength(), 87759 * 2);
  EXPECT_NEAR(source->GetSeconds(), 1.99, 1e-6);
}

TEST_F(SoundSourceTest, Factory_ExtensionsSelectTheBuilderOrNothing)
{
  TSoundAssets assets({"tone010.ogg"});
  EXPECT_TRUE(TSoundDataSourceFactory::Create("audio/tone010.ogg", true));
  // The whole name is probed: tone010.wav.ogg does not exist.
  EXPECT_FALSE(TSoundDataSourceFactory::Create("audio/tone010.wav", true));
  EXPECT_FALSE(TSoundDataSourceFactory::Create("audio/missing", true));
  EXPECT_FALSE(TSoundDataSourceFactory::Create("audio/missing.ogg", false));
  assets.Add("audio/tone010.wav.ogg", ReadBytes(SoundFixture("tone010.ogg")));
  EXPECT_TRUE(TSoundDataSourceFactory::Create("audio/tone010.wav", true));
}

TEST_F(SoundSourceTest, InMemory_UnderTwoSecondsIsDecodedOnce_TwoSecondsStaysCompressed)
{
  TSoundAssets assets({"m199.ogg", "m200.ogg"});
  boost::shared_ptr<TSoundDataSource> short199 = TSoundDataSourceFactory::Create("audio/m199", false);
  boost::shared_ptr<TSoundDataSource> long200 = TSoundDataSourceFactory::Create("audio/m200", false);
  ASSERT_TRUE(short199 && long200);
  EXPECT_TRUE(IsMemory(short199));
  EXPECT_EQ(short199->GetRawLength(), 87759 * 2);
  EXPECT_TRUE(IsOgg(long200));
  EXPECT_EQ(long200->GetRawLength(), 88200 * 2);
  EXPECT_NEAR(long200->GetSeconds(), 2.0, 1e-6);

  TPlatform::SetConfig(TPlatform::kKeepOGGUncompressed, "1");
  EXPECT_TRUE(IsMemory(TSoundDataSourceFactory::Create("audio/m200", false)));
  // Played from its file, a sound is never converted.
  EXPECT_TRUE(IsOgg(TSoundDataSourceFactory::Create("audio/m199", true)));
}

TEST_F(SoundSourceTest, FileAndMemoryModesDecodeTheSameBytes)
{
  TSoundAssets assets({"stereo020.ogg"});
  boost::shared_ptr<TSoundDataSource> fromFile = TSoundDataSourceFactory::Create("audio/stereo020", true);
  boost::shared_ptr<TOggDataSource> inMemory(new TOggDataSource);
  ASSERT_TRUE(fromFile);
  ASSERT_TRUE(inMemory->InitFromFile("audio/stereo020", false));
  TMemDataSource decoded(fromFile);
  std::string expected = ReadAll(decoded);
  EXPECT_EQ(expected.size(), static_cast<size_t>(fromFile->GetRawLength()));
  EXPECT_EQ(ReadAll(*inMemory), expected);
  // Rewinding (a loop) decodes the same bytes again.
  EXPECT_EQ(ReadAll(*fromFile), expected);
}

TEST_F(SoundSourceTest, OggRead_SeeksToAnyByteOffset)
{
  TSoundAssets assets({"stereo020.ogg"});
  boost::shared_ptr<TSoundDataSource> ogg = TSoundDataSourceFactory::Create("audio/stereo020", true);
  ASSERT_TRUE(ogg);
  TMemDataSource decoded(ogg);
  std::string all = ReadAll(decoded);
  char buffer[64];
  // A count of 0 still moves to the offset; the next read continues there.
  EXPECT_EQ(ogg->Read(buffer, 4002, 0), 0u);
  ASSERT_EQ(ogg->Read(buffer, 4002, 64), 64u);
  EXPECT_EQ(std::string(buffer, 64), all.substr(4002, 64));
  ASSERT_EQ(ogg->Read(buffer, 4066, 64), 64u);
  EXPECT_EQ(std::string(buffer, 64), all.substr(4066, 64));
  // Odd offsets land inside a frame.
  ASSERT_EQ(ogg->Read(buffer, 1001, 7), 7u);
  EXPECT_EQ(std::string(buffer, 7), all.substr(1001, 7));
  unsigned end = static_cast<unsigned>(all.size());
  EXPECT_EQ(ogg->Read(buffer, end - 10, 64), 10u);
  EXPECT_EQ(ogg->Read(buffer, end, 64), 0u);
  EXPECT_EQ(ogg->Read(buffer, end + 1000, 64), 0u);
}

TEST_F(SoundSourceTest, MemRead_StopsAtTheEnd)
{
  boost::shared_ptr<TSoundDataSource> pattern(new TPatternSource(100));
  TMemDataSource memory(pattern);
  uint8_t buffer[64] = {};
  EXPECT_EQ(memory.Read(buffer, 100, 10), 0u);
  EXPECT_EQ(memory.Read(buffer, 90, 64), 10u);
  EXPECT_EQ(buffer[0], 90);
  EXPECT_EQ(buffer[9], 99);
  EXPECT_EQ(memory.GetRawLength(), 100);
}

TEST_F(SoundSourceTest, OggMemCallbacks_ClampAndRefuse)
{
  TOggMem* image = new TOggMem;
  image->mData = new uint8_t[10];
  for (int i = 0; i < 10; ++i) {
    image->mData[i] = static_cast<uint8_t>(i);
  }
  image->mSize = 10;
  EXPECT_EQ(TOggMem::ogg_mem_seek(image, 4, 3), -1);
  EXPECT_EQ(TOggMem::ogg_mem_tell(image), 0);
  EXPECT_EQ(TOggMem::ogg_mem_seek(image, -5, 0), 0);
  EXPECT_EQ(TOggMem::ogg_mem_tell(image), 0);
  EXPECT_EQ(TOggMem::ogg_mem_seek(image, 5, 2), 0);
  EXPECT_EQ(TOggMem::ogg_mem_tell(image), 10);
  EXPECT_EQ(TOggMem::ogg_mem_seek(image, -3, 1), 0);
  uint8_t buffer[8] = {};
  EXPECT_EQ(TOggMem::ogg_mem_read(buffer, 1, 8, image), 3u);
  EXPECT_EQ(buffer[0], 7);
  EXPECT_EQ(TOggMem::ogg_mem_read(buffer, 1, 8, image), 0u);
  EXPECT_EQ(TOggMem::ogg_mem_close(image), 0);
}

TEST_F(SoundSourceTest, QvReadFunc_RereadsAPartialElement)
{
  TVfsSandbox sandbox;
  sandbox.WriteFile("assets/seven.bin", "0123456");
  TFile::ScanForResources();
  TFile* file = qv_open("seven.bin", kFileRead);
  ASSERT_NE(file, nullptr);
  char buffer[8] = {};
  EXPECT_EQ(qv_read_func(buffer, 4, 2, file), 1u);
  EXPECT_EQ(qv_tell_func(file), 4);
  EXPECT_EQ(qv_seek_func(file, -1, SEEK_END), 0);
  EXPECT_EQ(qv_tell_func(file), 6);
  EXPECT_EQ(qv_seek_func(file, 2, SEEK_SET), 0);
  EXPECT_EQ(qv_seek_func(file, 1, SEEK_CUR), 0);
  EXPECT_EQ(qv_tell_func(file), 3);
  EXPECT_EQ(qv_close_func(file), 0);
}

TEST_F(SoundSourceTest, Refused_NotVorbisThreeChannelsAndMixedLinks)
{
  TSoundAssets assets({"three020.ogg", "chained.ogg"});
  assets.Add("audio/text.ogg", "this is not an Ogg Vorbis file, only text\n");
  for (bool fromFile : {true, false}) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(TSoundDataSourceFactory::Create("audio/text.ogg", fromFile));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("OGG file could not be opened"), std::string::npos);
    EXPECT_FALSE(TSoundDataSourceFactory::Create("audio/three020.ogg", fromFile));
    EXPECT_FALSE(TSoundDataSourceFactory::Create("audio/chained.ogg", fromFile));
  }
}

TEST_F(SoundSourceTest, EmptyOgg_OpensWithNoData)
{
  TSoundAssets assets({"empty.ogg"});
  for (bool fromFile : {true, false}) {
    boost::shared_ptr<TSoundDataSource> source = TSoundDataSourceFactory::Create("audio/empty", fromFile);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->GetRawLength(), 0);
    char buffer[16];
    EXPECT_EQ(source->Read(buffer, 0, sizeof buffer), 0u);
  }
}

// One Ogg page in the middle is cut out: reads never report more than asked (nor a negative
// count turned huge), and the memory copy holds only what was decoded.
TEST_F(SoundSourceTest, DamagedOgg_ReadsStayWithinTheirCounts)
{
  TSoundAssets assets({});
  assets.Add("audio/damaged.ogg", WithoutAMiddlePage());

  boost::shared_ptr<TSoundDataSource> ogg = TSoundDataSourceFactory::Create("audio/damaged", true);
  ASSERT_TRUE(ogg);
  std::vector<char> buffer(65536 + 16, 0x5a);
  unsigned total = 0;
  for (int step = 0; step < 100; ++step) {
    unsigned got = ogg->Read(buffer.data(), total, 65536);
    ASSERT_LE(got, 65536u);
    EXPECT_EQ(buffer[65536], 0x5a);
    if (got == 0) {
      break;
    }
    total += got;
  }
  EXPECT_GT(total, 0u);
  EXPECT_LE(total, static_cast<unsigned>(ogg->GetRawLength()));

  boost::shared_ptr<TSoundDataSource> again = TSoundDataSourceFactory::Create("audio/damaged", true);
  TMemDataSource copy(again);
  EXPECT_LE(copy.GetRawLength(), again->GetRawLength());
  EXPECT_EQ(copy.GetRawLength() % 2, 0);
  EXPECT_LE(copy.GetSeconds(), again->GetSeconds());
}

// A page cut out of the middle is damage the player hears: one line names the file.
TEST_F(SoundSourceTest, DamagedOgg_IsReportedOnceUnderItsName)
{
  TSoundAssets assets({"tone10s.ogg"});
  assets.Add("audio/damaged.ogg", WithoutAMiddlePage());

  for (const char* name : {"audio/damaged", "audio/tone10s"}) {
    boost::shared_ptr<TSoundDataSource> ogg = TSoundDataSourceFactory::Create(name, true);
    ASSERT_TRUE(ogg);
    testing::internal::CaptureStderr();
    ReadAll(*ogg);
    ReadAll(*ogg);
    const std::string log = testing::internal::GetCapturedStderr();
    const std::string line = std::string("ERROR: OGG file ") + name + " is damaged";
    if (std::string(name) == "audio/damaged") {
      ASSERT_NE(std::string::npos, log.find(line)) << log;
      EXPECT_EQ(std::string::npos, log.find(line, log.find(line) + 1)) << "said once: " << log;
    } else {
      EXPECT_EQ(std::string::npos, log.find("ERROR")) << log;
    }
  }
}

} // namespace
