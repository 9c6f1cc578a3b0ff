#pragma once
// CHeart: the target heart of the action paths. Launched below the cupid, it
// rises and spins while it fades in, is hit by the arrow, fades out while its
// quote fades in, and the quote stays for 14 s before it fades too. Rose
// petals circle it while it is visible.
#include <d3d9.h>

#include "ClassRender/MeshModel.h"
#include "scene/ParticleSystem.h"
#include "scene/QuoteOrder.h"
#include "scene/TextBlock.h"

enum HeartState : int32_t {
    kHeartAbsent = 0,
    kHeartAppearing = 1,
    kHeartFlying = 2,
    kHeartHit = 3,
    kHeartQuote = 4,
};

class CHeart {
public:
    CHeart();
    CHeart(const CHeart&) = delete;
    CHeart& operator=(const CHeart&) = delete;

    // The quotes are kept as given (the records stay the caller's).
    uint32_t Load(const char* pszMesh, const char* pszTexture, IDirect3DDevice9* pDevice,
                  const QuoteSource& quotes);
    void Launch(const D3DXVECTOR3& vPosition);
    // What an update asks of the cupid: to aim at the rising heart.
    struct Aim {
        bool bAim = false;
        D3DXVECTOR3 vAt{0.0f, 0.0f, 0.0f};
    };
    Aim Update(const D3DXMATRIX& billboard);
    // The update at the system time nNow (Update passes timeGetTime).
    Aim UpdateAt(uint32_t nNow, const D3DXMATRIX& billboard);
    // M is the inverse of the full view matrix.
    void Render(IDirect3DDevice9* pDevice, const D3DXMATRIX& M);
    void OnHit();
    void Release();

    void ShuffleQuotes();
    const QuoteRecord& NextQuote();

    bool IsLoaded() const { return m_bLoaded; }

    CQuoteOrder m_QuoteOrder;
    D3DXMATRIX m_World;
    D3DXMATRIX m_TextTurn;
    D3DCOLOR m_nTint = 0xFFFFFFFF;
    CMeshModel m_Mesh;
    D3DXVECTOR3 m_vPosition{0.0f, 0.0f, 0.0f};
    D3DXMATRIX m_Scale;
    int32_t m_nState = kHeartAbsent;
    uint32_t m_nStateTime = 0;
    float m_fAlpha = 1.0f;
    CParticleSystem m_Petals;
    CTextBlock m_Text;

private:
    void SetTint(float fAlpha);
    void EmitPetals(uint32_t nNow, float fDt, const D3DXMATRIX& billboard);
    D3DXMATRIX TextMatrix(const D3DXMATRIX& M) const;

    QuoteSource m_Quotes;
    uint32_t m_nPreviousTime = 0;  // the first elapsed time counts from 0
    bool m_bLoaded = false;
};
