// The heart's and the cupid's timelines on a simulated clock, and what the
// heart draws in each state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "app/Cordelune.h"
#include "scene/SceneVertex.h"
#include "test_scene_rig.h"

namespace {

struct SceneActorTest : ::testing::Test {
    CFakeDevice device;
    CCordelune app;
    CScene& scene = app.m_Scene;
    D3DXMATRIX billboard;

    SceneActorTest() {
        D3DXMatrixIdentity(&billboard);
        app.m_Settings.Music = 0;
        app.m_Settings.SFX = 0;
        std::memset(&app.m_UserText, 0, sizeof app.m_UserText);
        std::strcpy(app.m_UserText.aszLines[0], " Roses");
        std::strcpy(app.m_UserText.aszLines[3], " my own line");
        app.m_Quotes.nCount = 2;
        std::memset(app.m_Quotes.aRecords, 0, 2 * sizeof(QuoteRecord));
        std::strcpy(app.m_Quotes.aRecords[0].aszLines[0], " first quote");
        std::strcpy(app.m_Quotes.aRecords[1].aszLines[0], " second quote");
        scene.Load(&device, app.MakeSceneInputs());
        scene.m_Heart.ShuffleQuotes();
        // The grid without its buffers and font when the archive has none.
        if (!scene.m_Heart.m_Text.IsLoaded()) scene.m_Heart.m_Text.m_Layout.Create(62, 6, 18.0f, 118.0f);
    }
    ~SceneActorTest() override {
        scene.Free();
        app.m_pDevice = nullptr;
    }
    // Frames of nStep ms until nUntil; the cupid aims where the heart asks.
    void RunHeart(uint32_t& t, uint32_t nUntil, uint32_t nStep = 20) {
        while (t < nUntil) {
            t += nStep;
            const CHeart::Aim aim = scene.m_Heart.UpdateAt(t, billboard);
            if (aim.bAim) scene.m_Cupid.AimAt(aim.vAt);
        }
    }
    // One cupid update at nNow; an arrow that arrives hits the heart.
    void RunCupid(uint32_t nNow) {
        if (scene.m_Cupid.UpdateAt(nNow, billboard)) scene.m_Heart.OnHit();
    }
    std::string Row(int nRow) const {
        std::string s;
        for (int c = 0; c < 62; ++c)
            if (char ch = scene.m_Heart.m_Text.m_Layout.CharAt(c, nRow)) s += ch;
        return s;
    }
};

uint32_t Alpha(D3DCOLOR n) { return n >> 24; }

}  // namespace

TEST_F(SceneActorTest, HeartRisesIsHitShowsTheQuoteAndFades) {
    CHeart& heart = scene.m_Heart;
    uint32_t t = 100000;
    heart.UpdateAt(t, billboard);  // absent: nothing moves
    heart.Launch(D3DXVECTOR3(-43.0f, -22.0f, -5.0f));
    EXPECT_EQ(heart.m_nState, kHeartAppearing);
    EXPECT_EQ(heart.m_nTint, 0x00FFFFFFu);
    EXPECT_GE(heart.m_Scale._11, 4.0f);
    EXPECT_LE(heart.m_Scale._11, 5.5f);
    EXPECT_EQ(heart.m_Scale._11, heart.m_Scale._33);

    const uint32_t t0 = t;
    RunHeart(t, t0 + 1000);
    EXPECT_NEAR(heart.m_fAlpha, 0.3f, 1e-3);
    EXPECT_NEAR(heart.m_vPosition.y, -22.0f + 5.0f, 1e-3);
    EXPECT_NEAR(double(Alpha(heart.m_nTint)), 76.0, 1.0);
    EXPECT_EQ(heart.m_Mesh.m_nTextureFactor, heart.m_nTint);
    EXPECT_EQ(scene.m_Cupid.m_bAiming, 0) << "the cupid looks up from alpha 0.4 on";
    RunHeart(t, t0 + 1400);
    EXPECT_EQ(scene.m_Cupid.m_bAiming, 1);
    EXPECT_FLOAT_EQ(scene.m_Cupid.m_vNewTarget.y, heart.m_vPosition.y);
    // Opaque after about 3.33 s, then flying at 2 units a second.
    RunHeart(t, t0 + 3320);
    EXPECT_EQ(heart.m_nState, kHeartAppearing);
    RunHeart(t, t0 + 3360);
    EXPECT_EQ(heart.m_nState, kHeartFlying);
    EXPECT_EQ(heart.m_nTint, 0xFFFFFFFFu);
    const float y = heart.m_vPosition.y;
    RunHeart(t, t + 1000);
    EXPECT_NEAR(heart.m_vPosition.y, y + 2.0f, 1e-3);
    // The world matrix spins the scaled heart and puts it at its position.
    EXPECT_FLOAT_EQ(heart.m_World._42, heart.m_vPosition.y);

    // The first hit shows the user's own lines, centred; the text fades in.
    heart.OnHit();
    EXPECT_EQ(heart.m_nState, kHeartHit);
    EXPECT_EQ(Row(0), " Roses");
    EXPECT_EQ(Row(1), "");
    EXPECT_EQ(Row(3), " my own line");
    EXPECT_FLOAT_EQ(heart.m_Text.m_Layout.RowOffset(0), -0.5f * CTextBlock::Measure(" Roses"));
    EXPECT_EQ(heart.m_Text.m_nTint, 0x00FFFFFFu);
    const uint32_t tHit = t;
    RunHeart(t, tHit + 500);
    EXPECT_NEAR(heart.m_fAlpha, 0.6f, 1e-3);
    EXPECT_NEAR(double(Alpha(heart.m_Text.m_nTint)), 0.4 * 255, 1.5);
    RunHeart(t, tHit + 1240);
    EXPECT_EQ(heart.m_nState, kHeartHit);
    RunHeart(t, tHit + 1280);
    EXPECT_EQ(heart.m_nState, kHeartQuote);
    EXPECT_EQ(heart.m_fAlpha, 1.0f);
    // The quote stays 14 s, then fades at 0.6 a second and the heart is gone.
    const uint32_t tQuote = t;
    RunHeart(t, tQuote + 13900, 100);
    EXPECT_EQ(heart.m_fAlpha, 1.0f);
    EXPECT_EQ(heart.m_Text.m_nTint, 0xFFFFFFFFu);
    RunHeart(t, tQuote + 15000);
    EXPECT_NEAR(heart.m_fAlpha, 0.4f, 0.02) << "one second into the fade of 0.6 a second";
    RunHeart(t, tQuote + 15800);
    EXPECT_EQ(heart.m_nState, kHeartAbsent);
    EXPECT_EQ(Alpha(heart.m_Text.m_nTint), 0u);

    // Later hits show the quotes.
    heart.OnHit();
    const std::string first = Row(0);
    EXPECT_TRUE(first == " first quote" || first == " second quote") << first;
    heart.OnHit();
    EXPECT_NE(Row(0), first);
    EXPECT_TRUE(Row(0) == " first quote" || Row(0) == " second quote");
}

TEST_F(SceneActorTest, HeartDrawsByState) {
    CHeart& heart = scene.m_Heart;
    if (!heart.m_Mesh.IsLoaded()) {
        ASSERT_TRUE(LoadMeshStandIn(heart.m_Mesh, MakeQuadMeshEntry(), &device));
    }
    const size_t nPetals = heart.m_Petals.IsLoaded() ? 1 : 0;
    const size_t nText = heart.m_Text.IsLoaded() ? 1 : 0;
    D3DXMATRIX viewInverse;
    D3DXMatrixIdentity(&viewInverse);
    heart.m_Mesh.UpdateFrame();  // the frame's update comes before its draws
    device.BeginScene();
    heart.m_nState = kHeartAbsent;
    device.ClearCalls();
    heart.Render(&device, viewInverse);
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 0u);
    ASSERT_EQ(device.CallNames().size(), 1u);
    EXPECT_EQ(FindCall(device, "SetRenderState", {D3DRS_ALPHATESTENABLE, 0}), 0);

    heart.m_nState = kHeartFlying;
    heart.m_Mesh.m_nTextureFactor = 0x80FFFFFF;
    device.ClearCalls();
    heart.Render(&device, viewInverse);
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 1u + nPetals);
    EXPECT_GE(FindCall(device, "SetRenderState", {D3DRS_TEXTUREFACTOR, 0x80FFFFFF}), 0);

    heart.m_nState = kHeartHit;
    device.ClearCalls();
    heart.Render(&device, viewInverse);
    const int nDraw = FindCall(device, "DrawIndexedPrimitive", {});
    const int nOff = FindCall(device, "SetRenderState", {D3DRS_ZENABLE, 0});
    const int nOn = FindCall(device, "SetRenderState", {D3DRS_ZENABLE, 1});
    EXPECT_TRUE(nDraw >= 0 && nOff > nDraw && nOn > nOff) << "the text lies over the heart";
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 1u + nText + nPetals);

    heart.m_nState = kHeartQuote;  // only the quote, which needs its font
    device.ClearCalls();
    heart.Render(&device, viewInverse);
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), nText);
    device.EndScene();
}

TEST_F(SceneActorTest, CupidShootsAfterHisPassAndTheArrowHitsOnce) {
    CCupid& cupid = scene.m_Cupid;
    CHeart& heart = scene.m_Heart;
    uint32_t t = 300000;
    RunCupid(t);
    cupid.m_nState = kCupidIdle;
    cupid.m_Body[kCupidIdle].StartAnimation(30, 0);
    cupid.RequestShot();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(cupid.m_Body[i].m_Playback.bStopAtEnd) << i;
    RunCupid(t += 20);
    EXPECT_EQ(cupid.m_nState, kCupidIdle) << "the running pass is finished first";
    cupid.m_Body[kCupidIdle].StopAnimation();  // the pass reached its end
    RunCupid(t += 20);
    EXPECT_EQ(cupid.m_nState, kCupidShot);
    EXPECT_EQ(cupid.m_bShotRequested, 0);
    EXPECT_TRUE(cupid.m_Body[kCupidShot].m_Playback.bPlaying);
    EXPECT_TRUE(cupid.m_Body[kCupidShot].m_Playback.bStopAtEnd);
    EXPECT_TRUE(cupid.m_BowArrow.m_Playback.bPlaying);
    EXPECT_EQ(cupid.m_BowArrow.m_nTextureFactor, 0xFFFFFFFFu);

    cupid.AimAt(D3DXVECTOR3(-40.0f, -10.0f, 2.0f));
    cupid.m_Body[kCupidShot].m_Playback.nStep = 65;
    RunCupid(t += 20);
    EXPECT_EQ(cupid.m_bArrowActive, 0);
    cupid.m_Body[kCupidShot].m_Playback.nStep = 66;
    RunCupid(t += 20);
    ASSERT_EQ(cupid.m_bArrowActive, 1);
    EXPECT_EQ(cupid.m_bArrowFlying, 1);
    EXPECT_EQ(cupid.m_bShotSoundPlayed, 1);
    EXPECT_FALSE(cupid.m_BowArrow.m_Playback.bPlaying);
    D3DXVECTOR3 vRelease;
    const D3DXVECTOR3 vBow(-2.388f, 1.229f, 0.009f);
    D3DXVec3TransformCoord(&vRelease, &vBow, &cupid.m_World);
    EXPECT_NEAR(cupid.m_vArrowStart.x, vRelease.x, 1e-3);
    EXPECT_NEAR(cupid.m_vArrowStart.y, vRelease.y, 1e-3);
    EXPECT_FLOAT_EQ(cupid.m_vArrowTarget.x, -40.0f);
    EXPECT_FLOAT_EQ(cupid.m_vArrowTarget.y, -8.0f);

    // Two seconds of flight whatever the frame rate; one hit.
    const uint32_t tLaunch = cupid.m_nLaunchTime;
    RunCupid(tLaunch + 1000);
    EXPECT_NEAR(cupid.m_vArrowPosition.x, 0.5f * (cupid.m_vArrowStart.x + cupid.m_vArrowTarget.x), 1e-3);
    EXPECT_NE(heart.m_nState, kHeartHit);
    RunCupid(tLaunch + 2000);
    EXPECT_EQ(heart.m_nState, kHeartHit);
    EXPECT_EQ(cupid.m_bArrowFlying, 0);
    EXPECT_FLOAT_EQ(cupid.m_vArrowPosition.y, cupid.m_vArrowTarget.y);
    heart.m_nState = kHeartAbsent;
    RunCupid(tLaunch + 2500);
    EXPECT_EQ(heart.m_nState, kHeartAbsent) << "the arrow hits only once";
    // Fading at 0.8 a second, rising 0.5 a second.
    EXPECT_NEAR(cupid.m_fArrowAlpha, 0.6f, 1e-3);
    EXPECT_NEAR(double(Alpha(cupid.m_FlyingArrow.m_nTextureFactor)), 0.6 * 255, 1.0);
    EXPECT_NEAR(cupid.m_HeartTrail.m_Field.m_fAlphaFactor, 0.6f, 1e-3);
    EXPECT_NEAR(cupid.m_vArrowPosition.y, cupid.m_vArrowTarget.y + 0.25f, 1e-3);

    // A shot while the arrow still fades plays its sound but looses no arrow.
    cupid.m_bShotSoundPlayed = 0;
    RunCupid(tLaunch + 2600);
    EXPECT_EQ(cupid.m_bShotSoundPlayed, 1);
    EXPECT_EQ(cupid.m_nLaunchTime, tLaunch);
    EXPECT_EQ(cupid.m_bArrowFlying, 0);

    RunCupid(tLaunch + 4000);
    EXPECT_EQ(cupid.m_bArrowActive, 0);
    EXPECT_EQ(cupid.m_FlyingArrow.m_nTextureFactor, 0u);
    EXPECT_EQ(cupid.m_BowArrow.m_nTextureFactor, 0u);
    // The shot over (its mesh stopped, more than a second passed): a new pass.
    cupid.m_Body[kCupidShot].StopAnimation();
    RunCupid(tLaunch + 4100);
    EXPECT_NE(cupid.m_nState, kCupidShot);
    EXPECT_TRUE(cupid.m_Body[cupid.m_nState].m_Playback.bPlaying);
}

namespace {

// What the cupid's last Render drew with texture pTexture: the texture factor
// and world matrix in force at that draw. False when nothing was drawn with it.
struct DrawnWith {
    D3DCOLOR nTint = 0;
    D3DMATRIX world{};
};
bool FindDraw(const CFakeDevice& device, const void* pTexture, DrawnWith& out) {
    const void* pBound = nullptr;
    for (const CFakeCall& call : device.Calls()) {
        if (call.sMethod == "SetTexture" && call.Arg(0) == 0)
            pBound = reinterpret_cast<const void*>(uintptr_t(call.Arg(1)));
        if (call.sMethod == "SetRenderState" && call.Arg(0) == D3DRS_TEXTUREFACTOR) out.nTint = D3DCOLOR(call.Arg(1));
        if (call.sMethod == "SetTransform" && call.Arg(0) == D3DTS_WORLD) out.world = call.matrix;
        if (call.sMethod == "DrawIndexedPrimitive" && pBound == pTexture) return true;
    }
    return false;
}

// The largest vertex alpha in the trail's vertex buffer.
uint32_t TrailAlpha(const CParticleSystem& trail) {
    const auto* pVertices = static_cast<const CFakeVertexBuffer*>(trail.m_VertexBuffer.m_pRenderBuffer);
    uint32_t nMax = 0;
    if (!pVertices) return 0;
    const auto* p = reinterpret_cast<const ColorTexVertex*>(pVertices->Data().data());
    for (size_t i = 0; i < pVertices->Data().size() / sizeof(ColorTexVertex); ++i)
        nMax = std::max(nMax, p[i].nColor >> 24);
    return nMax;
}

// The 3x3 rotation parts agree (either matrix type: both hold m[4][4]).
template <class A, class B>
bool SameTurn(const A& a, const B& b) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (std::fabs(a.m[r][c] - b.m[r][c]) > 1e-5f) return false;
    return true;
}

}  // namespace

TEST_F(SceneActorTest, EveryShotFliesWithItsTrailAndTheArrowKeepsItsAttitudeWhileItFades) {
    CCupid& cupid = scene.m_Cupid;
    CHeart& heart = scene.m_Heart;
    ASSERT_TRUE(cupid.m_HeartTrail.IsLoaded() && cupid.m_FlyingArrow.IsLoaded()) << "the archive's trail and arrow";
    const D3DXVECTOR3 targets[3] = {{-40.0f, -10.0f, 2.0f}, {-60.0f, -4.0f, 8.0f}, {-30.0f, 1.0f, -20.0f}};
    uint32_t t = 500000;
    RunCupid(t);
    for (int nShot = 0; nShot < 3; ++nShot) {
        SCOPED_TRACE("shot " + std::to_string(nShot + 1));
        // The shot after an idle pass; the arrow leaves at step 66.
        cupid.m_nState = kCupidIdle;
        cupid.m_Body[kCupidIdle].StopAnimation();
        cupid.RequestShot();
        RunCupid(t += 20);
        ASSERT_EQ(cupid.m_nState, kCupidShot);
        cupid.AimAt(targets[nShot]);
        cupid.m_Body[kCupidShot].m_Playback.nStep = 66;
        RunCupid(t += 20);
        ASSERT_EQ(cupid.m_bArrowFlying, 1);
        const uint32_t tLaunch = cupid.m_nLaunchTime;

        // In flight, a second after the release: the trail shows behind the arrow.
        while (t < tLaunch + 1000) RunCupid(t += 20);
        EXPECT_EQ(cupid.m_HeartTrail.m_Field.m_fAlphaFactor, 1.0f);
        EXPECT_GT(TrailAlpha(cupid.m_HeartTrail), 128u) << "trail particles are opaque";
        device.ClearCalls();
        device.BeginScene();
        cupid.Render(&device, billboard);
        device.EndScene();
        DrawnWith trail, arrow;
        ASSERT_TRUE(FindDraw(device, cupid.m_HeartTrail.m_pTexture, trail));
        EXPECT_EQ(trail.nTint >> 24, 0xFFu) << "the trail's tint";
        ASSERT_TRUE(FindDraw(device, cupid.m_FlyingArrow.m_pTexture, arrow));

        // The last frame of flight and the hit: the arrow points along its path.
        while (t + 20 < tLaunch + 2000) RunCupid(t += 20);
        const D3DXMATRIX inFlight = cupid.m_ArrowMatrix;
        RunCupid(t = tLaunch + 2000);
        ASSERT_EQ(cupid.m_bArrowFlying, 0);
        const D3DXMATRIX atHit = cupid.m_ArrowMatrix;
        EXPECT_TRUE(SameTurn(atHit, inFlight));
        D3DXVECTOR3 vPath(cupid.m_vArrowTarget.x - cupid.m_vArrowStart.x, cupid.m_vArrowTarget.y - cupid.m_vArrowStart.y,
                          cupid.m_vArrowTarget.z - cupid.m_vArrowStart.z);
        D3DXVec3Normalize(&vPath, &vPath);
        EXPECT_NEAR(atHit._31, vPath.x, 1e-4);
        EXPECT_NEAR(atHit._32, vPath.y, 1e-4);
        EXPECT_NEAR(atHit._33, vPath.z, 1e-4);

        // While it fades and rises it keeps that attitude; only its place moves.
        for (uint32_t dt : {200u, 600u, 1100u}) {
            while (t < tLaunch + 2000 + dt) RunCupid(t += 20);
            ASSERT_EQ(cupid.m_bArrowActive, 1);
            EXPECT_TRUE(SameTurn(cupid.m_ArrowMatrix, atHit)) << dt << " ms into the fade";
            EXPECT_FLOAT_EQ(cupid.m_ArrowMatrix._42, cupid.m_vArrowPosition.y);
            EXPECT_GT(cupid.m_vArrowPosition.y, cupid.m_vArrowTarget.y);
            device.ClearCalls();
            device.BeginScene();
            cupid.Render(&device, billboard);
            device.EndScene();
            ASSERT_TRUE(FindDraw(device, cupid.m_FlyingArrow.m_pTexture, arrow));
            EXPECT_TRUE(SameTurn(arrow.world, atHit)) << "the arrow drawn " << dt << " ms into the fade";
        }
        // Faded out: the trail's factor is 0 until the next release.
        while (cupid.m_bArrowActive) RunCupid(t += 20);
        EXPECT_EQ(cupid.m_HeartTrail.m_Field.m_fAlphaFactor, 0.0f);
        heart.m_nState = kHeartAbsent;
        cupid.m_Body[kCupidShot].StopAnimation();
        RunCupid(t += 1100);
    }
}

TEST_F(SceneActorTest, CupidTurnsTowardsTheHeart) {
    CCupid& cupid = scene.m_Cupid;
    const D3DXVECTOR3 vStart = cupid.m_vCurrentTarget;
    cupid.AimAt(D3DXVECTOR3(-2.0f, 10.0f, 0.0f));
    const uint32_t t = cupid.m_nAimStart + 10;
    cupid.UpdateAt(t + 990, billboard);  // halfway through the 2 s turn: sin(0.785) of the way
    const float s = 0.70709f;
    EXPECT_NEAR(cupid.m_vCurrentTarget.y, 10.0f * s + vStart.y * (1 - s), 1e-3);
    cupid.UpdateAt(t + 2000, billboard);
    EXPECT_FLOAT_EQ(cupid.m_vCurrentTarget.y, 10.0f);
    EXPECT_EQ(cupid.m_bAiming, 0);
}

TEST(SceneTextBlock, BuffersOfASmallBlock) {
    CFakeDevice device;
    CTextBlock block;
    block.Create(3, 1, "font.tga", 18.0f, 118.0f, &device);
    auto* pFaces = static_cast<CFakeIndexBuffer*>(block.m_FaceBuffer.m_pRenderBuffer);
    auto* pVertices = static_cast<CFakeVertexBuffer*>(block.m_VertexBuffer.m_pRenderBuffer);
    ASSERT_TRUE(pFaces && pVertices);
    ASSERT_EQ(pFaces->Data().size(), 36u);
    const uint16_t* p = reinterpret_cast<const uint16_t*>(pFaces->Data().data());
    EXPECT_EQ(std::vector<uint16_t>(p, p + 18),
              (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 8, 9, 10, 8, 10, 11}));
    EXPECT_EQ(pVertices->Data().size(), 288u);
    EXPECT_EQ(pVertices->Usage(), DWORD(D3DUSAGE_DYNAMIC));
    EXPECT_EQ(pVertices->Pool(), D3DPOOL_DEFAULT);
    EXPECT_EQ(pVertices->FVF(), DWORD(322));
    // Without its font the block is never drawn.
    if (!block.IsLoaded()) {
        device.ClearCalls();
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        block.Render(&device, m);
        EXPECT_EQ(device.Calls().size(), 0u);
    }
    block.Release();
    EXPECT_EQ(device.LiveResources(), 0);
}
