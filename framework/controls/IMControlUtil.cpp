#include "framework/controls/IMControlUtil.h"

#include <boost/lexical_cast.hpp>

std::wstring IntToWString(std::uint32_t value)
{
    return boost::lexical_cast<std::wstring>(value);
}
