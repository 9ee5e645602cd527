#pragma once
// TLocalizationMethods: told when the current language changes (TLocalizationManager::AddMethod).

class TLocalizationMethods
{
public:
    virtual ~TLocalizationMethods() = default;
    // previous: the index of the language that was current, -1 when there was none.
    virtual void OnLanguageChange(int previous) = 0;
};
