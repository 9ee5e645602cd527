// The plug-in registry: registration from a static initialiser, a missing plug-in and the table
// limits.
#include "core/system/plugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
class TDiffuse : public TPlugin
{
};
VESTAMOR_PLUGIN(TDiffuse, TTestShading);

const TName s_ShadingClass("TTestShading");

// A factory with chosen names.
class TNamedFactory : public TPluginData
{
public:
    TNamedFactory(const std::string& name, const std::string& className)
        : m_Name(name.c_str(), true), m_ClassName(className.c_str(), true)
    {
    }
    const TName* GetName() override { return &m_Name; }
    const TName* GetClassName() override { return &m_ClassName; }
    i32 IsAvailable() override { return 1; }
    TPlugin* Create() override { return &m_Object; }

    TDiffuse m_Object;

private:
    TName m_Name;
    TName m_ClassName;
};
} // namespace

TEST(PluginManagerDeathTest, FullTablesRefuseFurtherPluginsAndAMissingOneIsFatal)
{
    const TName plugin("TGlossy", true);
    TPlugin* object = nullptr;
    g_pPluginManager->FindPlugin(object, TName("TDiffuse"), s_ShadingClass);
    EXPECT_NE(object, nullptr);
    EXPECT_DEATH(g_pPluginManager->FindPlugin(object, plugin, s_ShadingClass),
                 "Terminal error: 'plugin 'TGlossy'::'TTestShading' not found'");
    auto manager = std::make_unique<TPluginManager>();
    std::vector<std::unique_ptr<TNamedFactory>> factories;
    for (u32 c = 0; c < PLUGIN_CLASS_COUNT; ++c)
    {
        factories.push_back(std::make_unique<TNamedFactory>("TPlugin", "TClass" + std::to_string(c)));
        ASSERT_EQ(manager->Register(factories.back().get()), 0);
    }
    TNamedFactory extraClass("TPlugin", "TOneClassTooMany");
    EXPECT_EQ(manager->Register(&extraClass), 1);
    EXPECT_EQ(manager->GetClassCount(), PLUGIN_CLASS_COUNT);
    // A known class still takes plug-ins up to its own limit.
    for (u32 p = 1; p < PLUGIN_PER_CLASS_COUNT; ++p)
    {
        factories.push_back(std::make_unique<TNamedFactory>("TPlugin" + std::to_string(p), "TClass0"));
        ASSERT_EQ(manager->Register(factories.back().get()), 0);
    }
    TNamedFactory extraPlugin("TOneTooMany", "TClass0");
    EXPECT_EQ(manager->Register(&extraPlugin), 1);
    EXPECT_EQ(manager->CreatePlugins(TName("TClass0"), nullptr, 0), static_cast<i32>(PLUGIN_PER_CLASS_COUNT));
    // Replacing a registered plug-in in a full class still works.
    TNamedFactory replacement("TPlugin5", "TClass0");
    EXPECT_EQ(manager->Register(&replacement), 0);
}
