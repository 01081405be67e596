#pragma once

#include "platform/skin_framework.h"

namespace tandemo {

/// A skin engine whose skin files are Qt style sheets (UTF-8 text).
class StyleSheetSkin : public SkinFramework {
    Q_OBJECT
public:
    using SkinFramework::SkinFramework;

    void LoadSkin(const QString& path, const QString& section) override;
    int ApplyOptions() const override { return m_options; }
    void setApplyOptions(int options) override { m_options = options; }
    void setApplyMetrics(bool on) override { m_applyMetrics = on; }
    void setApplyColours(bool on) override { m_applyColours = on; }
    void ApplyWindow(QWidget& window) override;

    QString styleSheet() const { return m_styleSheet; }
    bool applyMetrics() const { return m_applyMetrics; }
    bool applyColours() const { return m_applyColours; }

private:
    QString m_styleSheet;
    bool m_loaded = false;
    int m_options = 0;
    bool m_applyMetrics = false;
    bool m_applyColours = false;
};

} // namespace tandemo
