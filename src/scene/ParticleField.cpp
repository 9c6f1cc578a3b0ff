#include "scene/ParticleField.h"

#include <cmath>

#include "scene/SceneAngles.h"
#include "scene/SceneRandom.h"

namespace {

const D3DXVECTOR3 kHiddenCentre{0.0f, -500.0f, 0.0f};

float RandomSigned(int nScale, float fOffset) {
    return float(SceneRand() * nScale) * kInvRandMax - fOffset;
}

}  // namespace

float RandomUniform(float a, float b) {
    return a + float(SceneRand()) * (b - a) * kInvRandMax;
}

void RespawnParticle(Particle& particle, const D3DXVECTOR3& vExtent, const ParticleSizes& sizes,
                     const D3DXVECTOR3& vCentre) {
    particle.fSpin = RandomSigned(6, 3.0f);
    particle.fSize = RandomUniform(sizes.fSizeMin, sizes.fSizeMax);
    particle.vPosition.z = RandomUniform(-vExtent.z, vExtent.z) + vCentre.z;
    particle.vPosition.y = RandomUniform(-vExtent.y, vExtent.y) + vCentre.y;
    particle.vPosition.x = RandomUniform(-vExtent.x, vExtent.x) + vCentre.x;
    D3DXVECTOR3 vDirection;
    vDirection.z = RandomSigned(2, 1.0f);
    vDirection.y = RandomSigned(2, 1.0f);
    vDirection.x = RandomSigned(2, 1.0f);
    D3DXVec3Normalize(&particle.vDirection, &vDirection);
    particle.fLife = RandomUniform(0.25f * sizes.fLifetime, sizes.fLifetime);
    particle.fAngle = 0.0f;
}

void ParticleCorners(const Particle& particle, float fSize, const D3DXMATRIX& billboard,
                     D3DXVECTOR3 aCorners[4]) {
    const float a = particle.fAngle;
    const float fSinA = std::sin(a) * fSize, fCosA = std::cos(a) * fSize;
    const float fSinQ = std::sin(a + kQuarterTurn) * fSize;
    const float fCosQ = std::cos(a + kQuarterTurn) * fSize;
    const D3DXVECTOR3 aLocal[4] = {
        {-fSinQ, -fCosQ, 0.0f}, {fSinA, fCosA, 0.0f}, {fSinQ, fCosQ, 0.0f}, {-fSinA, -fCosA, 0.0f}};
    for (int i = 0; i < 4; ++i) {
        D3DXVec3TransformCoord(&aCorners[i], &aLocal[i], &billboard);
        aCorners[i].x += particle.vPosition.x;
        aCorners[i].y += particle.vPosition.y;
        aCorners[i].z += particle.vPosition.z;
    }
}

void CParticleField::Create(uint32_t nCount, const D3DXVECTOR3& vExtent, const ParticleSizes& sizes,
                            const D3DXVECTOR3& vCentre, float fNearCullSq) {
    m_vExtent = vExtent;
    m_Sizes = sizes;
    m_fNearCullSq = fNearCullSq;
    m_Particles.assign(nCount, Particle{});
    for (Particle& particle : m_Particles) RespawnParticle(particle, vExtent, sizes, vCentre);
}

void CParticleField::Update(const D3DXVECTOR3& vEmitter, const D3DXVECTOR3& vVelocity, float fDt,
                            const D3DXMATRIX& billboard, ColorTexVertex* pVertices) {
    static const float s_aU[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    static const float s_aV[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (Particle& particle : m_Particles) {
        const float f = particle.fLife < 1.0f ? particle.fLife : 1.0f;
        D3DXVECTOR3 aCorners[4];
        ParticleCorners(particle, f * particle.fSize, billboard, aCorners);
        uint32_t nColor = WhiteWithAlpha(f * m_fAlphaFactor);
        if (m_fNearCullSq != 0.0f) {
            const float dx = aCorners[3].x - vEmitter.x, dy = aCorners[3].y - vEmitter.y,
                        dz = aCorners[3].z - vEmitter.z;
            if (dx * dx + dy * dy + dz * dz < m_fNearCullSq) nColor = 0;
        }
        for (int i = 0; i < 4; ++i)
            *pVertices++ = {aCorners[i].x, aCorners[i].y, aCorners[i].z, nColor, s_aU[i], s_aV[i]};

        particle.fAngle += fDt * particle.fSpin;
        particle.vPosition.x += (particle.vDirection.x + vVelocity.x) * fDt;
        particle.vPosition.y += (particle.vDirection.y + vVelocity.y) * fDt;
        particle.vPosition.z += (particle.vDirection.z + vVelocity.z) * fDt;
        particle.fLife -= fDt;
        if (particle.fLife < 0.0f) RespawnParticle(particle, m_vExtent, m_Sizes, vEmitter);
    }
}

void CParticleField::Reset(ColorTexVertex* pVertices) {
    const D3DXVECTOR3 vNone{0.0f, 0.0f, 0.0f};
    const ParticleSizes none{0.0f, 0.0f, 0.0f};
    for (Particle& particle : m_Particles) {
        RespawnParticle(particle, vNone, none, kHiddenCentre);
        particle.fLife = float(SceneRand()) * RandScale(2.2f) - 1.1f;
    }
    if (pVertices)
        for (size_t i = 0; i < 4 * m_Particles.size(); ++i) pVertices[i] = ColorTexVertex{};
}

void CParticleField::Clear() { std::vector<Particle>().swap(m_Particles); }
