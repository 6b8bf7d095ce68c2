// The renderer against two oracles on busy random frames in every mode (many objects, among them
// semi-transparent, affine, double-size and OBJ-window ones; both windows and the OBJ window;
// alpha blending and brightness): the frames that the earlier renderer drew for the same scenes,
// and the earlier tagged path for lines with colour effects, which is still built in.

#include "tests/video/busy_frames.h"
#include "tests/video/video_fixture.h"

namespace {

// FNV-1a hashes of the frames that the earlier renderer (palette indices with target flags on
// every effect line, objects read from OAM on every span) drew for scenes 1 to 96, recorded by
// drawing BusyFrames with that renderer's sources before it was replaced.
constexpr std::uint64_t EARLIER_RENDERER_FRAMES[96] = {
    0xAF281C96EE85B0DFu, 0xABA70BBB48F0EE85u, 0x449A985BF571A1FBu, 0x9F5B5A3C753A97D5u,
    0x9BE5BED6CE399ABFu, 0x7BEC98C3B97897A1u, 0x97AD6A397AC549DEu, 0x5FE81324213550E4u,
    0x44441CF947EDE09Fu, 0xF062CABA719741D7u, 0x5FCBBE0AAF16A59Fu, 0x0E16A5DF60DAF91Cu,
    0x44A21E0F369B879Du, 0xC989F8B1357629E8u, 0x5E654B210941D325u, 0x40533DD897196C53u,
    0xAA8B0B01470D7591u, 0x55EF14D1A4FAF9F5u, 0x129692428536D82Bu, 0xA8C4038B7012869Fu,
    0xB015BD5C435BB8FBu, 0x2EB637EBF1D9932Cu, 0xB0B12DF09C5F41C2u, 0xFFB2732B25CF93AEu,
    0x502135EC592B3B25u, 0x7A6011637AF33724u, 0x5097892C97A5A053u, 0xE8749D1503C74CC6u,
    0xB37C958CB41DAB25u, 0x7277192A322605CEu, 0x6599300285D09D1Du, 0xCFE9B5D309BAB282u,
    0x3C065AD39F588218u, 0x5094ECD77E176A1Fu, 0xB2A92E7485C82E72u, 0x2BEBB83085FEE14Fu,
    0x9163F51F9CC22289u, 0x6E42AB4F31E0E020u, 0xD6995616EF813CD3u, 0x9CB347940716766Fu,
    0x310D16B8FC551F25u, 0x284F36AE6242D02Au, 0x6444AB2A4F8B810Cu, 0x43706ED1B7C08CC5u,
    0x928A0586070E42F3u, 0x80682F859C6E8A07u, 0x05D27BE5AF79C244u, 0xC99795C0DDB1E596u,
    0x4AEA48378F0C974Bu, 0x9F2AA34397534572u, 0xFAEA9908CBF56661u, 0x1DD313BDEA3306D6u,
    0xA82F95E92BD251D6u, 0x07F1854BEFD0598Au, 0x47D61D11D86173EEu, 0xF524AA6BB3A4A4EEu,
    0xEBE2210C2FBD4B88u, 0x8EDBBEF696FB06CAu, 0x9FAB362C3E8B2CE2u, 0xB1FBFD862E2D54F4u,
    0xDA0F200607E27472u, 0x060E0528548766B3u, 0x8D7A8B64370BB86Du, 0xB9E237F79E04F531u,
    0x0234CCCF071C22E5u, 0xBFE3EDAB30E97325u, 0x430033780C8D0B1Au, 0x34CD8A5F6C4D3F30u,
    0x66413A7F6D541F36u, 0x7B93AA78C60E5249u, 0xB39D45FA97882DBAu, 0x81773D46EA77E449u,
    0xD4BDC2ADAA8185CDu, 0xE60277CF45C71DACu, 0xCE8907557AD6ADA1u, 0x3042ADFB334DE325u,
    0x6085679A7BFFDD2Eu, 0x8E59C2E30D1C96DDu, 0x1D9806042E1C8E83u, 0x561B48FED45A34A2u,
    0xB32FC52ACF969126u, 0x710D88EC7FB15F04u, 0xE7EEDBA2EEBEBA6Bu, 0xCA55632193F6F3D7u,
    0x5BD1D83A897475D6u, 0x5C3C8EB3ED1BD7FDu, 0x5E4C7FB73C4245A1u, 0xFABFDC4186D5CE16u,
    0x009C8CA58A87279Cu, 0x6EF4395972EB4FFCu, 0x93BAB625E34ED496u, 0x2A6A877E28BE1EB4u,
    0x9472CBCC6806ECE2u, 0xF50C5DDA0958AEB7u, 0x5BCD0214E482C305u, 0xD3F8E6D5D9F08853u,
};

class TargetPathTest : public VideoTest {
 protected:
  void TearDown() override { tagged_reference_path = false; }

  std::vector<std::uint16_t> frame(BusyFrames& frames, bool tagged) {
    tagged_reference_path = tagged;
    frames.draw_frame();
    return {machine.frame_pixels, machine.frame_pixels + SCREEN_WIDTH * SCREEN_HEIGHT};
  }
};

TEST_F(TargetPathTest, BusyFramesMatchTheEarlierRenderer) {
  BusyFrames frames;
  for (unsigned seed = 1; seed <= 96; ++seed) {
    frames.make_scene(seed);
    std::vector<std::uint16_t> expected = frame(frames, true), got = frame(frames, false);
    for (unsigned i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(got[i], expected[i]) << "seed " << seed << " mode " << seed % 6 << " pixel ("
                                     << i % SCREEN_WIDTH << ", " << i / SCREEN_WIDTH << ")";
    }
    ASSERT_EQ(frame_hash(got.data()), EARLIER_RENDERER_FRAMES[seed - 1]) << "seed " << seed;
  }
}

}  // namespace
