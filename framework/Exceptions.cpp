#include "Exceptions.h"

RuntimeException::RuntimeException(std::string message, std::int32_t errorNumber)
    : message_(std::move(message))
    , errorNumber_(errorNumber)
{
}
