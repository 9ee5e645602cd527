#pragma once
// A manager that records its calls, for the manager-system tests.
#include "engine/system/manager.h"

#include <string>
#include <vector>

class TRecordingManager : public TManager
{
public:
    explicit TRecordingManager(const char* name, std::vector<std::string>* journal = nullptr)
        : m_pJournal(journal)
    {
        m_Name.Set(name, true);
    }

    i32 InitializeManager() override
    {
        Note("initialize");
        return 0;
    }
    void BeginManager() override { Note("begin"); }
    void EndManager() override { Note("end"); }
    void FinalizeManager() override { Note("finalize"); }
    void RenderManager() override { Note("render"); }
    void UpdateManager(f32 step) override
    {
        m_aStep.push_back(step);
        Note("update");
        if (m_pOnUpdate)
            m_pOnUpdate(this);
    }

    virtual void Note(const char* what)
    {
        if (m_pJournal)
            m_pJournal->push_back(std::string(GetNameText()) + "." + what + "." +
                                  std::to_string(m_nStepWord));
    }

    std::vector<std::string>* m_pJournal;
    std::vector<f32> m_aStep;
    void (*m_pOnUpdate)(TRecordingManager*) = nullptr;
};
