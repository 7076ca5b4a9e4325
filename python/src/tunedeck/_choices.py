"""The run's choices as Python takes them. The core's table of choices names each keyword,
gives its default and checks it (TypeError or ValueError naming the argument); here they are
bound to a signature and handed to the core."""

from __future__ import annotations

import inspect
import numbers

import numpy as np

from . import _core

# The core's table of choices, as Python spells them.
METERS = tuple(_core.meters())

# Every analysis' keywords with the core's defaults, in the table's order (so also by position).
SIGNATURE = inspect.Signature([inspect.Parameter(name, inspect.Parameter.POSITIONAL_OR_KEYWORD, default=default)
                               for name, default in _core.Options.defaults().items()])


def integer(name: str, value, what: str) -> int:
    """value as an int; bools and other types are refused with what the argument takes."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} takes {what}; not {value!r} ({type(value).__name__})")
    return int(value)


def flag(name: str, value) -> bool:
    """True or False only: a word such as 'no' would otherwise count as True."""
    if not isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{name} takes True or False; not {value!r} ({type(value).__name__})")
    return bool(value)


def count(name: str, value, least: int = 1) -> int | None:
    """None, or a whole number of at least `least` (jobs, batch, partition_size)."""
    if value is None:
        return None
    number = integer(name, value, f"a whole number from {least}, or None")
    if number < least:
        raise ValueError(f"{name} takes a whole number from {least}, or None; not {value!r}")
    return number


def choices(function: str, /, *args, **options) -> dict:
    """The keyword arguments every analysis takes (by position too, in SIGNATURE's order),
    checked by the core: TypeError for a value of the wrong type, ValueError for one out of
    range, each naming the argument; an argument it does not take is named with the function
    it was given to. A plain dict of every keyword, so that worker processes can be handed it."""
    try:
        bound = SIGNATURE.bind(*args, **options)
    except TypeError as e:
        # In Python's own words for a function's arguments.
        words = str(e)
        raise TypeError(f"{function}() {'got ' if words.startswith('multiple') else ''}{words}") from None
    return _core.Options(bound.arguments).choices()


def with_choices(function):
    """function's signature for help() and editors: its own arguments, then the choices with
    their defaults in place of its *args and **options."""
    own = [p for p in inspect.signature(function).parameters.values()
           if p.kind not in (inspect.Parameter.VAR_POSITIONAL, inspect.Parameter.VAR_KEYWORD)]
    function.__signature__ = inspect.Signature([*own, *SIGNATURE.parameters.values()],
                                               return_annotation=inspect.signature(function).return_annotation)
    return function


def core_options(checked: dict, profile: bool = True, transpose_field: bool = False) -> _core.Options:
    """The core's options from choices() as it returned them."""
    return _core.Options(checked, with_profile=profile, transpose_field=transpose_field)
