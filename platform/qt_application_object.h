#pragma once

#include "platform/application_object.h"

namespace tandemo {

/// The running program as Qt and Linux see it. The title becomes the process name that task
/// lists and system monitors show; it is not used by Qt, so window captions stay as set.
class QtApplicationObject : public ApplicationObject {
public:
    QString folder() const override;
    QString title() const override { return m_title; }
    void setTitle(const QString& title) override;

private:
    QString m_title;
};

} // namespace tandemo
