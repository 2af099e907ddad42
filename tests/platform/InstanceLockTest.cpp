#include "platform/InstanceLock.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace lumo {
namespace {

QString uniqueName(const char* tag) {
    return QStringLiteral("LumoTest-%1-%2").arg(QCoreApplication::applicationPid()).arg(tag);
}

class EnvGuard {
public:
    EnvGuard()
        : m_saved(qgetenv("LUMO_INSTANCE_NAME")),
          m_had(qEnvironmentVariableIsSet("LUMO_INSTANCE_NAME")) {
        qunsetenv("LUMO_INSTANCE_NAME");
    }
    ~EnvGuard() {
        if (m_had)
            qputenv("LUMO_INSTANCE_NAME", m_saved);
        else
            qunsetenv("LUMO_INSTANCE_NAME");
    }

private:
    QByteArray m_saved;
    bool m_had;
};

TEST(InstanceLock, SecondHolderIsRefusedUntilFirstEnds) {
    EnvGuard env;
    auto first = std::make_unique<InstanceLock>(uniqueName("a"));
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire()); // asking again keeps it
    {
        InstanceLock second(uniqueName("a"));
        EXPECT_FALSE(second.acquire());
    }
    InstanceLock other(uniqueName("b"));
    EXPECT_TRUE(other.acquire());
    first.reset();
    InstanceLock third(uniqueName("a"));
    EXPECT_TRUE(third.acquire());
}

TEST(InstanceLock, EnvironmentOverridesTheName) {
    EnvGuard env;
    InstanceLock plain(uniqueName("env"));
    ASSERT_TRUE(plain.acquire());
    qputenv("LUMO_INSTANCE_NAME", uniqueName("other").toUtf8());
    // Same constructor name, but the environment puts it elsewhere.
    InstanceLock overridden(uniqueName("env"));
    EXPECT_TRUE(overridden.acquire());
    qputenv("LUMO_INSTANCE_NAME", uniqueName("env").toUtf8());
    InstanceLock sameAsPlain(QStringLiteral("Anything"));
    EXPECT_FALSE(sameAsPlain.acquire());
}

TEST(InstanceLock, FolderSeparatorsInNameAreFlattened) {
    EnvGuard env;
    // "x/y" must name a file in the lock folder, the same one as "x_y", not a subfolder.
    InstanceLock slashed(uniqueName("x/y"));
    ASSERT_TRUE(slashed.acquire());
    InstanceLock flat(uniqueName("x_y"));
    EXPECT_FALSE(flat.acquire());
}

} // namespace
} // namespace lumo
