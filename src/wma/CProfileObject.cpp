#include "wma/CProfileObject.h"

void CProfileObject::AddRef() { m_refs.fetch_add(1); }

void CProfileObject::Release() {
  if (m_refs.fetch_sub(1) == 1) delete this;
}
